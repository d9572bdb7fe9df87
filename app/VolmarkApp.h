// The application object: prepares the platform, fills the skin store and
// runs the drive-mapping dialog as the program's only window.
#pragma once

#include "fw/fw.h"

class CVolmarkApp : public CWinApp {
public:
    CVolmarkApp() = default;
    ~CVolmarkApp() override = default;
    BOOL InitInstance() override;
};

extern CVolmarkApp theApp;
