#pragma once

#include "platform/MsgBox.h"

// Shows each box as a modal QMessageBox over the active window.
class QtMsgBoxPresenter : public MsgBox::Presenter
{
public:
    MsgBox::Answer present(const MsgBox::Box& box) override;
};
