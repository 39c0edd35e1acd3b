#include "modInternet.h"

#include "AnsiText.h"
#include "DrivePath.h"
#include "TextRules.h"
#include "xfileExists.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <memory>

namespace modInternet {

namespace {

constexpr DWORD kReadSize = 256;
// Always fetched from the server, never from the cache (0x80000100).
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE;

std::function<void()>& YieldHook() {
    static std::function<void()> hook;
    return hook;
}

struct HandleCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, HandleCloser>;

void SetTimeouts(HINTERNET handle, const HttpLimits& limits) {
    const struct {
        DWORD option;
        DWORD ms;
    } timeouts[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, limits.ConnectTimeoutMs},
                    {INTERNET_OPTION_SEND_TIMEOUT, limits.ReceiveTimeoutMs},
                    {INTERNET_OPTION_RECEIVE_TIMEOUT, limits.ReceiveTimeoutMs}};
    for (auto timeout : timeouts)
        InternetSetOptionW(handle, timeout.option, &timeout.ms, sizeof timeout.ms);
}

// A header's text; false when the reply has none.
bool QueryHeader(HINTERNET request, DWORD query, std::wstring& value) {
    DWORD size = 0;
    if (HttpQueryInfoW(request, query, nullptr, &size, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr))
        return false;
    buffer.resize(size / sizeof(wchar_t));
    value = std::move(buffer);
    return true;
}

// What the reply says of its body's length.
struct Announced {
    bool Given = false;  // a length the body must reach
    bool Broken = false; // a Content-Length that is no number: the reply cannot be trusted
    unsigned long long Length = 0;
};

Announced AnnouncedLength(HINTERNET request) {
    Announced announced;
    std::wstring text;
    if (QueryHeader(request, HTTP_QUERY_TRANSFER_ENCODING, text) &&
        TextRules::Contains(WideToUtf8(text), "chunked", TextRules::Compare::Text))
        return announced; // chunking ends the body, whatever length is also announced
    if (!QueryHeader(request, HTTP_QUERY_CONTENT_LENGTH, text))
        return announced;
    const std::string digits = TextRules::Trim(WideToUtf8(text));
    announced.Broken = digits.empty() || digits.size() > 18 ||
                       digits.find_first_not_of("0123456789") != std::string::npos;
    if (!announced.Broken) {
        announced.Given = true;
        announced.Length = std::stoull(digits);
    }
    return announced;
}

} // namespace

void SetYieldHook(std::function<void()> yield) {
    YieldHook() = std::move(yield);
}

HttpResult HttpRequest(const std::string& url, const HttpLimits& limits,
                       const std::function<void(size_t)>& progress) {
    HttpResult result;
    const ULONGLONG start = GetTickCount64();
    const auto pastDeadline = [&] { return GetTickCount64() - start >= limits.DeadlineMs; };

    // Connection and request are opened one by one (as InternetOpenUrl does inside) so that the
    // time-outs reach the request before it is sent: not every WinInet hands them down.
    const std::wstring wideUrl = Utf8ToWide(url);
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts) ||
        parts.nScheme != INTERNET_SCHEME_HTTP || parts.dwHostNameLength == 0)
        return result;
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const InternetHandle internet(
        InternetOpenW(L"Mozilla", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!internet)
        return result;
    SetTimeouts(internet.get(), limits);
    const InternetHandle connection(InternetConnectW(
        internet.get(), std::wstring(parts.lpszHostName, parts.dwHostNameLength).c_str(),
        parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return result;
    SetTimeouts(connection.get(), limits);
    const InternetHandle request(HttpOpenRequestW(connection.get(), L"GET",
                                                  object.empty() ? L"/" : object.c_str(), nullptr,
                                                  nullptr, nullptr, kOpenFlags, 0));
    if (!request)
        return result;
    SetTimeouts(request.get(), limits);
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0))
        return result;

    // A connection closed without a status line is no answer.
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr) ||
        status == 0)
        return result;
    result.Opened = true;
    result.Status = status;
    const Announced announced = AnnouncedLength(request.get());
    if (announced.Given && announced.Length > limits.MaxBody)
        return result; // would only end at the cap

    bool ended = false; // WinInet reported the body's end
    for (unsigned reads = 0; !pastDeadline();) {
        // Asking first bounds each read by the receive time-out: a read of a full buffer could
        // otherwise wait for a slowly dripping body far beyond the deadline.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.get(), &available, 0, 0))
            break;
        char buffer[kReadSize];
        DWORD got = 0;
        if (!InternetReadFile(request.get(), buffer,
                              available ? std::min(available, kReadSize) : kReadSize, &got))
            break;
        result.Body.append(buffer, got);
        if (result.Body.size() > limits.MaxBody) {
            result.Body.resize(limits.MaxBody);
            break;
        }
        if (++reads > 1) {
            if (progress)
                progress(result.Body.size());
            if (YieldHook())
                YieldHook()();
        }
        if (got == 0) {
            ended = true;
            break;
        }
    }
    result.Complete = ended && status >= 200 && status < 300 && !announced.Broken &&
                      (!announced.Given || result.Body.size() == announced.Length);
    return result;
}

std::string HttpGet(const std::string& url) {
    return HttpRequest(url).Body;
}

std::string HttpGetWithProgress(const std::string& url,
                                const std::function<void(size_t)>& progress) {
    return HttpRequest(url, {}, progress).Body;
}

std::string DownloadedBytesText(size_t length) {
    return "Downloaded " + std::to_string(length) + " bytes.";
}

bool DownloadFile(const std::string& url, const std::string& localPath, const HttpLimits& limits) {
    const size_t slash = localPath.rfind('\\');
    if (!DrivePath::HasDriveLetter(localPath) || slash == std::string::npos ||
        slash + 1 == localPath.size() || !xfileExists::FolderExists(localPath.substr(0, slash + 1)))
        return false;
    const HttpResult reply = HttpRequest(url, limits);
    if (!reply.Complete)
        return false;

    // Beside the target, so the final rename stays on one volume and replaces it in one step.
    const std::wstring folder = Utf8ToWide(localPath.substr(0, slash + 1));
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"dl", 0, temporary))
        return false;
    const HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = file != INVALID_HANDLE_VALUE;
    for (size_t done = 0; written && done < reply.Body.size();) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(reply.Body.size() - done, 1 << 20));
        DWORD wrote = 0;
        written = WriteFile(file, reply.Body.data() + done, part, &wrote, nullptr) && wrote == part;
        done += wrote;
    }
    if (file != INVALID_HANDLE_VALUE) {
        written = FlushFileBuffers(file) && written;
        CloseHandle(file);
    }
    if (written && MoveFileExW(temporary, Utf8ToWide(localPath).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary);
    return false;
}

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
            byte == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

} // namespace modInternet
