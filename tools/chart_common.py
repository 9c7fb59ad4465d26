"""What the report chart and the study chart share: the refusal both raise,
the threshold of hollow points and the writing of the image."""

import os
import secrets

IMAGE_FORMATS = {".png": "png", ".svg": "svg"}
# Counts with fewer rounds than this are drawn hollow in every chart: their
# mean is too uncertain to read as a point of the curve.
FEW_ROUNDS = 1000


class InputError(Exception):
    """Input the tool refuses: not a well-formed report or study, studies that
    cannot share a chart, or an output that cannot be written."""


def shown(text, limit=60):
    """A line of input as a message quotes it: cut short, control characters
    escaped by repr."""
    return repr(text if len(text) <= limit else text[:limit] + "...")


def save(fig, output):
    """Write the figure to `output`, PNG or SVG by its extension, through a
    temporary file beside it that is renamed over it once complete. An
    existing output keeps its permissions; a new one gets those of the umask."""
    import matplotlib
    matplotlib.use("Agg")
    fmt = IMAGE_FORMATS[os.path.splitext(output)[1].lower()]
    directory = os.path.dirname(os.path.abspath(output))
    temporary = os.path.join(directory, f".plot_report-{secrets.token_hex(6)}")
    try:
        mode = os.stat(output).st_mode & 0o7777
    except OSError:
        mode = None
    try:
        handle = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
    except OSError as err:
        raise InputError(f"cannot write {output}: {err.strerror}") from None
    try:
        with os.fdopen(handle, "wb") as stream:
            fig.savefig(stream, format=fmt)
        if mode is not None:
            os.chmod(temporary, mode)
        os.replace(temporary, output)
    except OSError as err:
        os.unlink(temporary)
        raise InputError(f"cannot write {output}: {err.strerror}") from None
    except BaseException:
        os.unlink(temporary)
        raise
