#include "DateText.h"

#include "AnsiText.h"

#include <windows.h>
#include <oleauto.h>

namespace DateText {

namespace {

double SystemNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    double date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}

std::function<double()>& Clock() {
    static std::function<double()> clock = SystemNow;
    return clock;
}

LCID& Locale() {
    static LCID locale = LOCALE_USER_DEFAULT;
    return locale;
}

} // namespace

double Now() {
    return Clock()();
}

void SetClock(std::function<double()> clock) {
    Clock() = clock ? std::move(clock) : std::function<double()>(SystemNow);
}

void SetLocale(unsigned long lcid) {
    Locale() = lcid ? lcid : LOCALE_USER_DEFAULT;
}

std::string ToText(double date) {
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(date, Locale(), 0, &text)))
        return {};
    std::string result = WideToUtf8(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    return result;
}

bool FromText(const std::string& text, double& date) {
    std::wstring wide = Utf8ToWide(text);
    return SUCCEEDED(VarDateFromStr(wide.data(), Locale(), 0, &date));
}

std::string NowText() {
    return ToText(Now());
}

} // namespace DateText
