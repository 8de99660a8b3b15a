#pragma once

namespace tmt::ui {

// Modal results as the windows set and test them; the numbers are those of the Windows dialog
// results (IDOK, IDCANCEL, IDABORT, IDYES, IDNO).
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrYes = 6,
    mrNo = 7,
};

} // namespace tmt::ui
