// The version gate as the table-driven wrappers use it.
#include "wrappers.h"

namespace rotam::wrappers {

const char16_t *need_text(Need need) {
    switch (need) {
    case Need::any:
        return u"";
    case Need::v2017:
        return u"2, 0, 1, 7";
    case Need::v2019:
        return u"2, 0, 1, 9";
    case Need::v2020:
        return u"2, 0, 2, 0";
    case Need::v2021:
        return u"2, 0, 2, 1";
    case Need::v2023:
        return u"2, 0, 2, 3";
    case Need::v2026:
        return u"2, 0, 2, 6";
    case Need::v2028:
        return u"2, 0, 2, 8";
    case Need::v2029:
        return u"2, 0, 2, 9";
    case Need::v2031:
        return u"2, 0, 3, 1";
    case Need::v2033:
        return u"2, 0, 3, 3";
    case Need::v2034:
        return u"2, 0, 3, 4";
    }
    return u"";
}

bool host_is_at_least(Need need) {
    if (need == Need::any)
        return true;
    return ZynCheckVersion(String(need_text(need))) != 0;
}

}  // namespace rotam::wrappers
