// The window layouts: dialog templates 100, 102 and 129 and their control ids, in dialog
// units (a quarter of the dialog font's average character width across, an eighth of its
// height down), so that every window scales with the font the platform gives it.
#pragma once

// A control's place in its dialog, in dialog units.
struct SDlgRect {
    int x, y, cx, cy;
};

// Window icon: 32x32 and 16x16 images.
inline constexpr int IDR_MAINFRAME = 128;

// Template 100: the About box, 242x55.
namespace about_template {
inline constexpr int kId = 100;
inline constexpr int kWidth = 242, kHeight = 55;
inline constexpr SDlgRect kIcon = {11, 17, 21, 20};
inline constexpr SDlgRect kText = {40, 10, 138, 8};
inline constexpr SDlgRect kOk = {185, 7, 50, 14};
}  // namespace about_template

// Template 129: the Error log window, 322x130.
namespace errorlog_template {
inline constexpr int kId = 129;
inline constexpr int kWidth = 322, kHeight = 130;
inline constexpr int IDC_LOG_TEXT = 1014;
inline constexpr SDlgRect kClose = {269, 1, 50, 14};
inline constexpr SDlgRect kText = {0, 0, 265, 130};
}  // namespace errorlog_template

// Template 102: the cut selection dialog, 231x172. Controls are created in tab order:
// OK, Cancel, Help, then per cut row its check box, name, file edit and Browse button,
// then the output folder row, then the column heads and the explanation.
namespace cutsel_template {
inline constexpr int kId = 102;
inline constexpr int kWidth = 231, kHeight = 172;

// Control ids. A row's controls are spaced by two: row i's check box is IDC_LOAD + 2i.
inline constexpr int IDC_FILE = 1000;
inline constexpr int IDC_LOAD = 1001;
inline constexpr int IDC_BROWSE = 1008;  // row i: IDC_BROWSE + i
inline constexpr int IDC_CHANGE_OUTPUT = 1012;
inline constexpr int IDC_OUTPUT_DIR = 1013;

inline constexpr SDlgRect kOk = {174, 7, 50, 14};
inline constexpr SDlgRect kCancel = {174, 24, 50, 14};
inline constexpr SDlgRect kHelp = {174, 41, 50, 14};
inline constexpr SDlgRect kExplanation = {7, 7, 160, 50};

// Columns of the rows: cut name, file name, Browse, load check box.
inline constexpr int kRowTop = 74, kRowPitch = 18;
inline constexpr SDlgRect kName = {7, 2, 40, 8};  // y relative to the row
inline constexpr SDlgRect kFile = {50, 0, 114, 14};
inline constexpr SDlgRect kBrowse = {167, 0, 34, 14};
inline constexpr SDlgRect kLoad = {208, 2, 12, 10};

inline constexpr SDlgRect kHeadCut = {7, 62, 40, 8};
inline constexpr SDlgRect kHeadFile = {50, 62, 114, 8};
inline constexpr SDlgRect kHeadLoad = {203, 62, 24, 8};

inline constexpr SDlgRect kOutputLabel = {7, 151, 50, 8};
inline constexpr SDlgRect kOutputDir = {58, 149, 106, 14};
inline constexpr SDlgRect kChange = {167, 149, 34, 14};
}  // namespace cutsel_template
