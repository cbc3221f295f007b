#pragma once

#include <QString>

class cCar;

// What the commands on a car start outside the program (the text and image editors, the file
// manager, the game) and the questions asked before a car is deleted. A start that fails tells
// the player why in a message box.
namespace modCarCommands {

// The car's file of that name, in the text editor.
void EditCarFile(const cCar& car, const QString& name);
// The skin of the car in carFolder, car.bmp, in the image editor.
void PaintSkin(const QString& carFolder);
void OpenCarFolder(const QString& carFolder);
void RunGame();
// Whether the player wants car deleted, with all of its files; a game's own car never is.
bool ConfirmDelete(const cCar& car);

} // namespace modCarCommands
