#include "launcher/ClauncherDlg.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>

namespace
{

constexpr int WindowWidth = 400;
constexpr int WindowHeight = 370;
constexpr int LabelWidth = 130;
constexpr int RowHeight = 24;
constexpr int ErrorX = 10;
constexpr int ErrorY = 326;
constexpr int ErrorWidth = 150;
constexpr int ErrorMinimumHeight = 40;
constexpr int ErrorMargin = 4;

Fl_Choice* AddChoice(int x, int y, int width, const char* label)
{
    auto* choice = new Fl_Choice(x + LabelWidth, y, width - LabelWidth, RowHeight, label);
    choice->align(FL_ALIGN_LEFT);
    return choice;
}

// Menu paths treat "/", "\\" and a leading "_" specially, and a repeated path replaces its item;
// a row is therefore added under its plain number and then given its text.
void AddRow(Fl_Choice* choice, uint32_t row, const char* text)
{
    const int index = choice->add(std::to_string(row).c_str());
    choice->replace(index, text);
}

Fl_Check_Button* AddCheck(int x, int y, int width, const char* label)
{
    return new Fl_Check_Button(x, y, width, RowHeight, label);
}

void Frame(Fl_Group* group)
{
    group->box(FL_ENGRAVED_FRAME);
    group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
}

}

ClauncherDlg::ClauncherDlg(LauncherModel& model) : m_model(model)
{
    Build();
    ShowControls();
}

ClauncherDlg::~ClauncherDlg() = default;

int ClauncherDlg::DoModal()
{
    m_window->show();
    ShowError();
    return Fl::run();
}

void ClauncherDlg::Build()
{
    m_window = std::make_unique<Fl_Double_Window>(WindowWidth, WindowHeight, "Configuration");
    // Escape and the window's close box both end the dialog as Exit does.
    m_window->callback(OnExit, this);

    auto* graphics = new Fl_Group(10, 10, 380, 230, "Graphics");
    Frame(graphics);
    int y = 34;
    m_resolution = AddChoice(20, y, 360, "Screen resolution:");
    m_antialiasing = AddChoice(20, y += RowHeight + 4, 360, "Antialiasing:");
    m_shadow = AddChoice(20, y += RowHeight + 4, 360, "Shadow:");
    m_fullscreen = AddCheck(20, y += RowHeight + 6, 360, "Run in fullscreen mode.");
    m_deferredLighting = AddCheck(20, y += RowHeight, 360, "Use deferred lighting.");
    m_highDynamicRange = AddCheck(20, y += RowHeight, 360, "Use HDR (high dynamic range) pipeline.");
    m_lowQualityPostProcess = AddCheck(20, y += RowHeight, 360, "Low-quality post-processing.");
    AddCheck(20, y += RowHeight, 360, "Disable shader support.")->deactivate();
    graphics->end();

    auto* audio = new Fl_Group(10, 248, 380, 72, "Audio");
    Frame(audio);
    AddCheck(20, 268, 360, "Disable 3D sound support.");
    AddCheck(20, 268 + RowHeight, 360, "Disable hardware acceleration.");
    audio->end();
    audio->deactivate();

    m_error = new Fl_Box(ErrorX, ErrorY, ErrorWidth, ErrorMinimumHeight);
    m_error->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    m_error->labelcolor(FL_RED);
    m_error->labelsize(12);

    auto* launch = new Fl_Return_Button(165, 332, 85, 28, "Launch");
    launch->callback(OnLaunch, this);
    auto* save = new Fl_Button(255, 332, 65, 28, "Save");
    save->callback(OnSave, this);
    auto* exit = new Fl_Button(325, 332, 65, 28, "Exit");
    exit->callback(OnExit, this);

    m_window->end();
}

void ClauncherDlg::ShowControls()
{
    const LauncherControls& controls = m_model.GetControls();
    m_resolution->clear();
    for (uint32_t row = 0; row < m_model.GetResolutionRowCount(); ++row)
        AddRow(m_resolution, row, m_model.GetResolutionRowText(row).GetText());
    m_resolution->value(static_cast<int>(controls.resolution));
    for (Fl_Choice* choice : {m_antialiasing, m_shadow})
    {
        choice->clear();
        for (uint32_t quality = 0; quality < LauncherModel::QualityCount; ++quality)
            AddRow(choice, quality, LauncherModel::GetQualityName(static_cast<LauncherQuality>(quality)));
    }
    m_antialiasing->value(controls.antialiasing);
    m_shadow->value(controls.shadow);
    m_fullscreen->value(controls.fullscreen);
    m_deferredLighting->value(controls.deferredLighting);
    m_highDynamicRange->value(controls.highDynamicRange);
    m_lowQualityPostProcess->value(controls.lowQualityPostProcess);
    ShowError();
}

// The box grows to the height of its wrapped text, and the window with it, so a long message
// keeps its last line. Text is measured once the window is shown and the display open.
void ClauncherDlg::ShowError()
{
    const char* text = m_model.GetError().GetText();
    m_error->copy_label(text);
    if (!m_window->shown())
        return;
    int width = ErrorWidth - 2 * ErrorMargin;
    int height = 0;
    if (text && *text)
    {
        fl_font(m_error->labelfont(), m_error->labelsize());
        fl_measure(text, width, height, 0);
    }
    const int boxHeight = std::max(ErrorMinimumHeight, height + 2 * ErrorMargin);
    m_error->size(ErrorWidth, boxHeight);
    m_window->size(WindowWidth, std::max(WindowHeight, ErrorY + boxHeight + ErrorMargin));
}

void ClauncherDlg::StoreControls()
{
    LauncherControls& controls = m_model.GetControls();
    controls.resolution = static_cast<uint32_t>(m_resolution->value());
    controls.antialiasing = static_cast<LauncherQuality>(m_antialiasing->value());
    controls.shadow = static_cast<LauncherQuality>(m_shadow->value());
    controls.fullscreen = m_fullscreen->value() != 0;
    controls.deferredLighting = m_deferredLighting->value() != 0;
    controls.highDynamicRange = m_highDynamicRange->value() != 0;
    controls.lowQualityPostProcess = m_lowQualityPostProcess->value() != 0;
}

void ClauncherDlg::Run(Command command)
{
    StoreControls();
    bool close = false;
    switch (command)
    {
    case Command::Launch:
        close = m_model.OnLaunch();
        break;
    case Command::Save:
        close = m_model.OnSave();
        break;
    case Command::Exit:
        close = m_model.OnExit();
        break;
    }
    if (close)
        m_window->hide();
    else
        ShowError();
}

void ClauncherDlg::OnLaunch(Fl_Widget*, void* dialog)
{
    static_cast<ClauncherDlg*>(dialog)->Run(Command::Launch);
}

void ClauncherDlg::OnSave(Fl_Widget*, void* dialog)
{
    static_cast<ClauncherDlg*>(dialog)->Run(Command::Save);
}

void ClauncherDlg::OnExit(Fl_Widget*, void* dialog)
{
    static_cast<ClauncherDlg*>(dialog)->Run(Command::Exit);
}
