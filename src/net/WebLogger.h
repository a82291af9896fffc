#pragma once
// Fire-and-forget reports to the management server: one GET per report, its query carrying
// the machine record and either an event's action or a message. Responses, failures and
// time-outs pass unnoticed; the URL of each report is also written to the local log.

#include <string>
#include <string_view>

#include "net/CMachineInfo.h"
#include "net/FCHttpRequestManager.h"
#include "net/IWebReporter.h"

class WebLogger : public FCHttpRequestManager, public IWebReporter {
  public:
    // The process-wide logger on the build constants' endpoints, created by the first call
    // (any thread). It is shut down when the process ends, exit() included, which gives
    // reports still under way up to shutdownWaitMs to leave; the object itself stays, so a
    // thread that reports after that is ignored rather than harmed.
    static WebLogger& Instance();

    // A logger on other endpoints (tests). Without `machine`, each report reads
    // CMachineInfo::Instance(); otherwise `machine` must outlive the logger.
    WebLogger(std::string infoUrl, std::string errorUrl, const CMachineInfo* machine = nullptr);
    ~WebLogger() override;

    // Event report to the info endpoint: 1 create, 2 download_start, 3 unzip_start,
    // 9 game_start; any other code sends the report without an action.
    void LogEvent(int code) override;
    // Message report to the error endpoint.
    void Log(std::string_view message) override;

  private:
    std::string ReportUrl(const std::string& endpoint) const;

    std::string m_infoUrl;
    std::string m_errorUrl;
    const CMachineInfo* m_machine;
};
