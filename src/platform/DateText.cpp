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

// US English with its built-in formats.
constexpr LCID kUsEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

std::string ToTextIn(double date, LCID locale, ULONG flags) {
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(date, locale, flags, &text)))
        return {};
    std::string result = WideToUtf8(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    return result;
}

bool FromTextIn(const std::string& text, LCID locale, ULONG flags, double& date) {
    std::wstring wide = Utf8ToWide(text);
    return SUCCEEDED(VarDateFromStr(wide.data(), locale, flags, &date));
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
    return ToTextIn(date, Locale(), 0);
}

bool FromText(const std::string& text, double& date) {
    return FromTextIn(text, Locale(), 0, date);
}

std::string ToUsEnglishText(double date) {
    return ToTextIn(date, kUsEnglish, LOCALE_NOUSEROVERRIDE);
}

bool FromUsEnglishText(const std::string& text, double& date) {
    return FromTextIn(text, kUsEnglish, LOCALE_NOUSEROVERRIDE, date);
}

std::string NowText() {
    return ToText(Now());
}

} // namespace DateText
