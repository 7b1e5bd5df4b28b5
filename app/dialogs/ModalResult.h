#pragma once

// The modal results of the program's dialogs (the Windows numbers).
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7,
    mrNoToAll = 9,
    mrYesToAll = 10,
};
