#pragma once
// Crash reports. A fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) writes a text report
// (signal, fault address, thread, backtrace, memory map) to
// "<g_strDumpPrefix>_YYYY_MM_DD_HH_MM_SS.dmp" in local time, then the signal takes its default
// action. Nothing is written while a tracer (a debugger) is attached: the signal goes to it.
// The handler runs on an alternate stack, so a stack overflow is reported too.

#include <ctime>
#include <string>

// <install dir>/<application name>; set by the start-up before the handler is installed.
extern std::string g_strDumpPrefix;

// Installs the handler for the process, taking g_strDumpPrefix as it is now, and gives the
// calling thread its alternate stack. False when a handler could not be installed.
bool InstallCrashHandler();
// Puts back the handlers that were there before.
void RestoreCrashHandler();
// Gives the calling thread an alternate signal stack for the rest of its life; threads other
// than the installing one call this to have their stack overflows reported.
void PrepareThreadForCrashReports();

// The report's file name for `prefix` and a local time.
std::string CrashReportName(const std::string& prefix, const std::tm& local);
