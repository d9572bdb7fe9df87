// CVolmarkDlg: the drive-mapping dialog, the program's only window. The user
// picks a free letter and presses Connect; the user name, password and host
// come from the companion's connection request (WM_COPYDATA).
#pragma once

#include "button/SkinButton.h"
#include "frame/SkinDialog.h"
#include "fw/fw.h"

class CVolmarkDlg : public CSkinDialog {
public:
    CVolmarkDlg();
    ~CVolmarkDlg() override;

    HICON m_hIcon;
    CSkinButton m_btnConnect;
    CComboBox m_comboDrive;
    CString m_strDrive;  // the local name of the last successful mapping
    CString m_strUser;
    CString m_strPassword;
    CString m_strHost;
    BOOL m_bInitDone;

protected:
    // void DoDataExchange(CDataExchange*): the drive list, then the button.
    void DoDataExchange(CDataExchange* pDX) override;
    // BOOL OnInitDialog(): button set-up (once), free letters, Connect off.
    BOOL OnInitDialog() override;

    // Message map: WM_PAINT, WM_QUERYDRAGICON, BN_CLICKED from IDOK,
    // CBN_SELCHANGE from the drive list, WM_CTLCOLOR*, WM_COPYDATA.
    BOOL OnCmdMsg(UINT id, int code) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
    BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct) override;

    // void OnConnect(): maps \\host\user to the selected letter.
    void OnConnect();
    // void OnSelChangeDrive(): a letter was picked; Connect may be pressed.
    void OnSelChangeDrive();

    void PlaceConnectButton();
};

// Splits a request text at '#' into the dialog's user name, password and
// host; always replaces all three.
void ParseConnectionRequest(CVolmarkDlg* pDlg, CString strText);
