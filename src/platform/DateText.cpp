#include "DateText.h"

#include "AnsiText.h"

#include <windows.h>
#include <oleauto.h>

namespace DateText {

double Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    double date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}

std::string ToText(double date) {
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &text)))
        return {};
    std::string result = WideToUtf8(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    return result;
}

bool FromText(const std::string& text, double& date) {
    std::wstring wide = Utf8ToWide(text);
    return SUCCEEDED(VarDateFromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &date));
}

std::string NowText() {
    return ToText(Now());
}

} // namespace DateText
