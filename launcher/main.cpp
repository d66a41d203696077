#include "launcher/ClauncherDlg.h"
#include "launcher/LauncherModel.h"
#include "launcher/LauncherSpawnStarter.h"

int main()
{
    LauncherSpawnStarter starter;
    LauncherModel model(starter);
    model.OnInitDialog();
    ClauncherDlg dialog(model);
    return dialog.DoModal();
}
