#include "ui/options/frmOptions.h"

#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "platform/FileNames.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/FocusedButton.h"
#include "ui/Twips.h"
#include "ui/options/frmGetDirectory.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kClientWidth = 5880;
constexpr int kClientHeight = 4695;

// The path a field holds. Left as it was shown, it is the setting itself, with the bytes the
// system names it by; typed, it is read as a shell would read it, without the blanks a paste
// brings.
QString FieldPath(const QLineEdit* field, const QString& stored)
{
    const QString typed = field->text().trimmed();
    if (field->text() == FileSystem::Shown(stored) || typed.isEmpty())
        return typed.isEmpty() ? typed : stored;
    return FileSystem::TypedPath(typed);
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Options"));
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    createControls();
    setFocusOrder();
    connectControls();
    setFixedSize(Twips(kClientWidth), Twips(kClientHeight));
    centreOnScreen();
    loadFields();
    cmdOK->setFocus();
}

void frmOptions::createControls()
{
    const QFont regular = TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, false);
    const QFont bold = TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, true);
    setFont(regular);

    auto* picOptions = new QWidget(this);
    picOptions->setObjectName(QStringLiteral("picOptions"));
    PlaceTwips(picOptions, 120, 120, 5685, 4140);

    // Only the frame's own caption is bold; what it holds keeps the dialog's font.
    const auto frame = [&](const char* name, const QString& caption, int top, int height) {
        auto* box = new QGroupBox(caption, picOptions);
        box->setObjectName(QLatin1String(name));
        box->setFont(bold);
        PlaceTwips(box, 0, top, 5655, height);
        return box;
    };
    const auto edit = [&](QWidget* parent, const char* name, int left, int top, int width,
                          int height) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QLatin1String(name));
        e->setFont(regular);
        PlaceTwips(e, left, top, width, height);
        return e;
    };
    const auto button = [&](QWidget* parent, const char* name, const QString& caption, int left,
                            int top, int width) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setFont(regular);
        // Enter presses no button of this dialog.
        b->setAutoDefault(false);
        PressOnEnterWhenFocused(b);
        PlaceTwips(b, left, top, width, 375);
        return b;
    };
    const auto label = [&](QWidget* parent, const QString& caption, int left, int top) {
        auto* l = new QLabel(caption, parent);
        l->setFont(regular);
        l->move(Twips(left), Twips(top));
        l->adjustSize();
        return l;
    };

    QGroupBox* fraSample1 = frame("fraSample1", QStringLiteral("Drovak Directory "), 0, 1290);
    txtEXEDirectory = edit(fraSample1, "txtEXEDirectory", 120, 360, 5415, 285);
    cmdChangeCarDir =
        button(fraSample1, "cmdChangeCarDir", QStringLiteral("Change..."), 4560, 720, 975);

    QGroupBox* fraEditorPath = frame("fraEditorPath", QStringLiteral("Editor Paths "), 1440, 1455);
    label(fraEditorPath, QStringLiteral("Image Editor:"), 120, 480);
    txtImgEditPath = edit(fraEditorPath, "txtImgEditPath", 1320, 450, 3135, 285);
    cmdChangeImgEditPath =
        button(fraEditorPath, "cmdChangeImgEditPath", QStringLiteral("Change..."), 4560, 360, 975);
    label(fraEditorPath, QStringLiteral("Text Editor:"), 120, 960);
    txtTextEditPath = edit(fraEditorPath, "txtTextEditPath", 1320, 930, 3135, 285);
    cmdChangeTextEditPath =
        button(fraEditorPath, "cmdChangeTextEditPath", QStringLiteral("Change..."), 4560, 840, 975);

    QGroupBox* fraUserInfo = frame("fraUserInfo", QStringLiteral("User Information"), 3000, 975);
    label(fraUserInfo, QStringLiteral("Author:"), 840, 360);
    txtAuthor = edit(fraUserInfo, "txtAuthor", 2040, 330, 3495, 315);

    cmdOK = button(this, "cmdOK", QStringLiteral("OK"), 2280, 4215, 1095);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"), 3480, 4215, 1095);
    cmdApply = button(this, "cmdApply", QStringLiteral("Apply"), 4680, 4215, 1095);
}

void frmOptions::setFocusOrder()
{
    QWidget* const order[] = {cmdOK,
                              cmdCancel,
                              cmdApply,
                              txtEXEDirectory,
                              cmdChangeCarDir,
                              txtImgEditPath,
                              cmdChangeImgEditPath,
                              txtAuthor,
                              cmdChangeTextEditPath,
                              txtTextEditPath};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmOptions::connectControls()
{
    connect(cmdChangeCarDir, &QPushButton::clicked, this, [] { frmGetDirectory::ShowShared(); });
    connect(cmdChangeImgEditPath, &QPushButton::clicked, this,
            [this] { pickEditor(txtImgEditPath, &cSettings::setImageEditorPath); });
    connect(cmdChangeTextEditPath, &QPushButton::clicked, this,
            [this] { pickEditor(txtTextEditPath, &cSettings::setTextEditorPath); });
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::Apply);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
}

void frmOptions::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.left() + int((area.width() - width()) / 2.0),
         area.top() + int((area.height() - height()) / 2.0));
}

void frmOptions::loadFields()
{
    const cSettings& settings = modMain::gSettings();
    // The paths are only shown: the settings keep their bytes.
    txtEXEDirectory->setText(FileSystem::Shown(settings.DrovakDir()));
    txtImgEditPath->setText(FileSystem::Shown(settings.ImageEditorPath()));
    txtTextEditPath->setText(FileSystem::Shown(settings.TextEditorPath()));
    txtAuthor->setText(settings.Author());
}

void frmOptions::pickEditor(QLineEdit* field, void (cSettings::*store)(const QString&))
{
    const std::optional<QString> picked = FileOpenBox::Show(mLastPicked);
    if (!picked)
        return;
    mLastPicked = *picked;
    field->setText(FileSystem::Shown(*picked));
    (modMain::gSettings().*store)(*picked);
}

bool frmOptions::Apply()
{
    cSettings& settings = modMain::gSettings();
    // A typed path is stored as a picked one is, once it is what it must be; until every field
    // is, nothing is stored.
    const auto refuse = [](QLineEdit* field, const QString& why) {
        MsgBox::Show(QStringLiteral("'%1' %2").arg(field->text().trimmed(), why),
                     MsgBox::Icon::Exclamation);
        field->setFocus();
        return false;
    };
    const QString game = FieldPath(txtEXEDirectory, settings.DrovakDir());
    if (game != settings.DrovakDir() &&
        !FileNames::IsPlainFile(FileNames::Resolve(game, QStringLiteral("drovak.exe"))))
        return refuse(txtEXEDirectory,
                      QStringLiteral("is not the game folder: it holds no drovak.exe."));
    QString editors[] = {settings.ImageEditorPath(), settings.TextEditorPath()};
    for (int i = 0; i < 2; ++i) {
        QLineEdit* field = i == 0 ? txtImgEditPath : txtTextEditPath;
        const QString name = field->text().trimmed();
        if (name.isEmpty() || field->text() == FileSystem::Shown(editors[i])) {
            editors[i] = name.isEmpty() ? name : editors[i];
            continue;
        }
        // A bare name is the program the search path finds, stored by its full path as the
        // editor commands start it.
        const bool bare = !name.contains(FileSystem::Separator()) && !name.startsWith('~');
        editors[i] = bare ? FileSystem::FindProgram(name) : FieldPath(field, editors[i]);
        if (!FileSystem::IsProgram(editors[i]))
            return refuse(field, QStringLiteral("is not a program Torvane can start."));
    }
    settings.setDrovakDir(game);
    settings.setImageEditorPath(editors[0]);
    settings.setTextEditorPath(editors[1]);
    settings.setAuthor(txtAuthor->text());
    settings.setCarDir(cSettings::CarDirOf(settings.DrovakDir()));
    try {
        settings.SaveSettings();
    } catch (const modErrorHandling::AppError& error) {
        // The settings stay in memory; the user can mend the file and press Apply again.
        const QString why = error.detail().isEmpty() ? error.report() : error.detail();
        MsgBox::Show(QStringLiteral("Your settings could not be saved.\n\n") + why,
                     MsgBox::Icon::Exclamation);
        return false;
    }
    return true;
}

void frmOptions::okClicked()
{
    if (Apply())
        close();
}

void frmOptions::ShowGameFolder(const QString& folder)
{
    txtEXEDirectory->setText(FileSystem::Shown(folder));
}

void frmOptions::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
