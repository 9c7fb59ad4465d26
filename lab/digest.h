#pragma once

#include <string>
#include <string_view>

// The SHA-256 digest of `text` as 64 lower-case hexadecimal digits (OpenSSL's
// libcrypto): a study file seals its defining content with it.
std::string sha256Hex(std::string_view text);
