#include "launcher/LauncherResolution.h"

const LauncherResolution LauncherResolutions[] = {
    {"CGA", 320, 200},           {"QVGA", 320, 240},       {"WQVGA", 480, 272},     {"VGA", 640, 480},
    {"SVGA", 800, 600},          {"XGA", 1024, 768},       {"XGAPlus", 1152, 864},  {"HD", 1366, 768},
    {"WXGA_922K", 1280, 720},    {"WXGA_1024K", 1280, 800}, {"HDPlus", 1600, 900},  {"SXGA", 1280, 1024},
    {"WXGAPlus", 1440, 900},     {"UXGA", 1600, 1200},     {"WSXGAPlus", 1680, 1050}, {"FullHD", 1920, 1080},
    {"WUXGA", 1920, 1200},       {"QXGA", 2048, 1536},     {"QWXGA", 2048, 1152},   {"WQHD", 2560, 1440},
    {"WQXGA", 2560, 1600},
};

const uint32_t LauncherResolutionCount = sizeof(LauncherResolutions) / sizeof(LauncherResolutions[0]);
