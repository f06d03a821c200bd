#include "run/list_checks.h"

#include "run/update_list.h"

namespace setup {

void runPreCopyTests(std::wstring& entry, Directives& directives) {
    if (startsWith(entry, kWarningMarker)) directives.alert(entry);
    if (startsWith(entry, kVersionRangeMarker)) directives.Version(entry);
    if (startsWith(entry, kRequiredFileMarker)) directives.exist(entry);
}

void runStampTest(std::wstring& entry, Directives& directives) {
    if (startsWith(entry, kVersionStampMarker)) directives.SetVer(entry);
}

}  // namespace setup
