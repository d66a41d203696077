#pragma once

#include "launcher/LauncherModel.h"

#include <memory>

class Fl_Box;
class Fl_Check_Button;
class Fl_Choice;
class Fl_Double_Window;
class Fl_Widget;

// The FLTK face of the launcher model: it builds the "Configuration" window, copies the model's
// controls into its widgets and back, and closes when a command of the model says so.
class ClauncherDlg
{
public:
    explicit ClauncherDlg(LauncherModel& model);
    ClauncherDlg(const ClauncherDlg&) = delete;
    ClauncherDlg& operator=(const ClauncherDlg&) = delete;
    ~ClauncherDlg();

    // Shows the window and runs until it closes.
    int DoModal();

private:
    enum class Command
    {
        Launch,
        Save,
        Exit,
    };

    void Build();
    void ShowControls();
    void ShowError();
    void StoreControls();
    void Run(Command command);

    static void OnLaunch(Fl_Widget* widget, void* dialog);
    static void OnSave(Fl_Widget* widget, void* dialog);
    static void OnExit(Fl_Widget* widget, void* dialog);

    LauncherModel& m_model;
    std::unique_ptr<Fl_Double_Window> m_window; // owns every widget below
    Fl_Choice* m_resolution = nullptr;
    Fl_Choice* m_antialiasing = nullptr;
    Fl_Choice* m_shadow = nullptr;
    Fl_Check_Button* m_fullscreen = nullptr;
    Fl_Check_Button* m_deferredLighting = nullptr;
    Fl_Check_Button* m_highDynamicRange = nullptr;
    Fl_Check_Button* m_lowQualityPostProcess = nullptr;
    Fl_Box* m_error = nullptr;
};
