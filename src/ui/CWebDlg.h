#pragma once
// The update window: the launcher's skin as a shaped, borderless top-level window, run
// modally for the life of the launcher. It owns the main web window lying over it, starts the
// update driver and carries the driver's reports (queued from the driver's thread, replayed
// here on the UI thread) into the progress controls.

#include <memory>
#include <string>

#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include "ui/CImpIDispatch.h"
#include "ui/CWebCDlgLogic.h"
#include "ui/WindowServices.h"
#include "update/IUpdateView.h"
#include "update/UpdateViewQueue.h"

class CWebCDlg;
class UpdateDriverThread;

class CWebDlg : public wxFrame, public IUpdateView, public IJavascriptTarget, public ILaunchHost {
  public:
    static constexpr int kIdOk = wxID_OK;
    static constexpr int kIdCancel = wxID_CANCEL;

    explicit CWebDlg(const WindowServices& services);
    ~CWebDlg() override;

    // Shows the window, starts the update driver and runs until Close, Cancel or the system
    // closing the window. Returns kIdOk, kIdCancel or 0 (closed by the system).
    int DoModal();
    // DoModal in its parts, for a caller that runs the event loop itself: Start shows the window
    // and starts the driver; once Ended(), Finish stops the driver and saves the record.
    void Start();
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }
    void Finish();

    // The driver's reports, carried out on the UI thread in the order they were made.
    void UpdateProgress(const std::string& status, const std::string& percentText, int position,
                        bool downloading) override;
    void ShowProgressView() override;
    void ShowStatusView() override;
    void InitWebBrower() override;
    void SetReady() override;

    // A page call, forwarded to the main web window ("" without one).
    std::string JavascriptToCPLUSPLUS(const std::string& method,
                                      const std::string& params) override;

    // The close button: the resume record is saved and the launcher ends.
    void Close();
    // After the game has started: the same, ending with kIdCancel.
    void Cancel() override;
    void HideLauncher() override;
    void MaximiseGameWindow(pid_t game) override;

    CWebCDlg* m_pWebCDlg = nullptr;

  private:
    void OnInitDialog();
    void OnSystemClose(wxCloseEvent& event);
    void EndDialog(int result);
    void UpdateLayeredBackground();

    WindowServices m_services;
    wxImage m_imgBackground;
    UpdateViewQueue m_queue;
    std::unique_ptr<QueuedUpdateView> m_queuedView;
    std::unique_ptr<UpdateDriverThread> m_driver;
    wxTimer m_drainTimer;
    wxGUIEventLoop* m_loop = nullptr;
    int m_result = 0;
    bool m_ended = false;
};
