#pragma once

#include <QGroupBox>

class cCar;
class QLabel;

// The shown car's picture: its photo, else its skin, else a picture saying it has neither. A
// left click on it asks for the skin to be painted.
class CarPicture : public QGroupBox
{
    Q_OBJECT

public:
    explicit CarPicture(QWidget* parent);

    void ShowCar(const cCar& car);
    // Draws the picture again, as a window coming back to the front needs.
    void Repaint();

signals:
    void paintRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPicture(const QString& path);

    QLabel* imgSkin = nullptr;
};
