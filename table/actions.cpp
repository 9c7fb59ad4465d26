#include "table/actions.h"

SplitPermissions splitPermissions(AfterSplit rule, Permissions parent) {
  switch (rule) {
    case AfterSplit::KeepFirst:
      return {parent, {false, false}};
    case AfterSplit::NoDoubleNoSplit:
      return {{false, false}, {false, false}};
    case AfterSplit::DoubleNoSplit:
      return {{true, false}, {true, false}};
    case AfterSplit::DoubleAndSplit:
      return {{true, true}, {true, true}};
    case AfterSplit::SplitNoDouble:
      return {{false, true}, {false, true}};
  }
  return {parent, {false, false}};
}

bool mayDoubleOn(int total, bool soft, DoubleOn rule) {
  switch (rule) {
    case DoubleOn::Any:
      return true;
    case DoubleOn::NineToEleven:
      return !soft && total >= 9 && total <= 11;
    case DoubleOn::TenToEleven:
      return !soft && total >= 10 && total <= 11;
  }
  return true;
}
