#pragma once

class QPushButton;

// Enter presses the button that has the focus, as on the game's platform. Qt leaves Enter to a
// button only when the button may become its dialog's default, and these dialogs have none:
// Enter in one of their fields presses nothing.
void PressOnEnterWhenFocused(QPushButton* button);
