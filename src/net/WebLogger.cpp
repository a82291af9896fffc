#include "net/WebLogger.h"

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "net/UrlEscape.h"
#include "platform/NoDestructor.h"

namespace {

const char* EventAction(int code) {
    switch (code) {
        case 1:
            return "&ac=create";
        case 2:
            return "&ac=download_start";
        case 3:
            return "&ac=unzip_start";
        case 9:
            return "&ac=game_start";
        default:
            return "";
    }
}

}  // namespace

WebLogger& WebLogger::Instance() {
    static platform::NoDestructor<WebLogger> instance{std::string(g_strInfoUrl),
                                                      std::string(g_strErrorUrl)};
    static const bool shutdownAtExit = (instance->ShutdownAtExit(), true);
    static_cast<void>(shutdownAtExit);
    return *instance;
}

WebLogger::WebLogger(std::string infoUrl, std::string errorUrl, const CMachineInfo* machine)
    : m_infoUrl(std::move(infoUrl)), m_errorUrl(std::move(errorUrl)), m_machine(machine) {}

WebLogger::~WebLogger() {
    // Callbacks run on the worker: stop it before this part of the object goes.
    Shutdown();
}

std::string WebLogger::ReportUrl(const std::string& endpoint) const {
    const CMachineInfo& machine = m_machine != nullptr ? *m_machine : CMachineInfo::Instance();
    std::string url = endpoint;
    url += "?client_uid=";
    url += machine.clientUid;
    url += "&ditch_name=";
    url += g_strDitchName;
    url += "&mac=";
    url += machine.macAddress;
    url += "&os_version=";
    url += UrlEscape(machine.osText);
    return url;
}

void WebLogger::LogEvent(int code) {
    RequestOptions options;
    options.url = ReportUrl(m_infoUrl);
    options.url += EventAction(code);
    LOG_INFO("WebLogger::LogEvent", options.url);
    AddRequest(options);
}

void WebLogger::Log(std::string_view message) {
    RequestOptions options;
    options.url = ReportUrl(m_errorUrl);
    options.url += "&error_msg=";
    options.url += UrlEscape(message);
    LOG_INFO("WebLogger::Log", options.url);
    AddRequest(options);
}
