// What the page tests share: a stand-in wizard frame and background window,
// a scratch program directory with a language folder, and page creation.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/test_support.h"

// A plain top-level window standing in for the wizard frame: it counts the
// WM_WIZARD_END messages the pages send it.
class PageHost {
public:
    PageHost();
    ~PageHost();
    PageHost(const PageHost &) = delete;
    PageHost &operator=(const PageHost &) = delete;

    // Creates a page from its template under the stand-in frame.
    HWND CreatePage(int dialogId, DLGPROC procedure);
    HWND frame() const { return frame_; }
    HWND background() const { return background_; }
    int endCount() const;

    // The program directory, with the language folder "jpn".
    const ScratchDir &media() const { return media_; }
    std::string LanguageFile(const char *name) const;
    void WriteCatalog(const std::string &body) const;
    void WriteScript(const std::string &body) const;

private:
    ScratchDir media_;
    HWND frame_;
    HWND background_;
};

bool IsTopmost(HWND window);
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int controlId);
