#pragma once
// The main web window: a panel lying exactly over the update window's skin, holding the login
// page, the progress bar with its three labels and the five image buttons. Its script-facing
// half (page calls, login, launch gate, game start) is CWebCDlgLogic.

#include <string>

#include "ui/CSkinPanel.h"
#include "ui/CWebBrowser2.h"
#include "ui/CWebCDlgLogic.h"
#include "ui/WindowServices.h"

class CGradientProgressCtrl;
class CPngButton;
class CStaticEx;
class CWebDlg;

class CWebCDlg : public CSkinPanel, public CWebCDlgLogic {
  public:
    // Control identifiers, as the window's controls are known elsewhere.
    enum : int {
        kIdClose = 101,
        kIdMinimize = 102,
        kIdGamePage = 103,
        kIdFaq = 104,
        kIdHome = 105,
        kIdProgress = 1000,
        kIdPercent = 1001,
        kIdStage = 1002,
        kIdStatus = 1003,
        kIdBrowser = 1005,
    };

    CWebCDlg(CWebDlg& owner, const WindowServices& services, ILaunchHost& host);
    bool Create(const wxImage& skin);

    // The five image buttons, once.
    void CreateButtons();
    // Loads the login page: EntryUrl, '&' or '?', "fileName=" and the launcher's folder.
    void InitWebBrower();

    CPngButton* m_pBtnClose = nullptr;
    CPngButton* m_pBtnGamePage = nullptr;
    CPngButton* m_pBtnHome = nullptr;
    CPngButton* m_pBtnFaq = nullptr;
    CPngButton* m_pBtnMinimize = nullptr;
    int m_bButtonsCreated = 0;
    int m_bDownloadCaptionShown = 0;
    int m_bUnzipCaptionShown = 0;
    CGradientProgressCtrl* m_progress = nullptr;
    CStaticEx* m_staticStage = nullptr;
    CStaticEx* m_staticPercent = nullptr;
    CStaticEx* m_staticStatus = nullptr;
    CWebBrowser2 m_browser;

    // The address InitWebBrower navigates to, from the entry address and the launcher's argv[0].
    static std::string LoginPageUrl(const std::string& entryUrl, const std::string& argv0);

  private:
    CPngButton* AddButton(int id, int x, int y, int width, int height, int normal, int pressed,
                          std::function<void()> onClick);
    void BeginDrag(wxMouseEvent& event);
    void Drag(wxMouseEvent& event);
    void EndDrag(wxMouseEvent& event);

    CWebDlg& m_owner;
    WindowServices m_services;
    wxPoint m_dragOffset;
};
