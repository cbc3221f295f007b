#include "ui/main/CarInfoPanel.h"

#include "app/modErrorHandling.h"
#include "cars/cCar.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/FocusedButton.h"
#include "ui/Twips.h"
#include "ui/main/CarMarks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kDescriptionTop = 1920;
constexpr int kDescriptionBottom = 3285;
constexpr int kProblemsTop = 2640;

QString DescriptionForBox(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString DescriptionFromBox(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

CarInfoPanel::CarInfoPanel(QWidget* parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("fraInfo"));
    setFont(TwipsFont(QStringLiteral("Tahoma"), 9.75, true));
    // It covers the title picture while a car is shown.
    setAutoFillBackground(true);

    const QFont tahomaBold = TwipsFont(QStringLiteral("Tahoma"), 8.25, true);
    const auto button = [&](const char* name, const QString& text, int left, int width) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setFont(tahomaBold);
        b->setEnabled(false);
        b->setAutoDefault(false);
        PressOnEnterWhenFocused(b);
        PlaceTwips(b, left, 360, width, 375);
        return b;
    };
    cmdReadMe = button("cmdReadMe", QStringLiteral("View ReadMe File"), 1080, 1935);
    cmdUpdateCarInfo = button("cmdUpdateCarInfo", QStringLiteral("Update"), 3120, 1215);

    // The text boxes use the window's font, not the frame's; every attribute is set so that
    // none is inherited from the frame.
    QFont boxFont = parent->window()->font();
    boxFont.setFamilies(boxFont.families());
    boxFont.setPointSizeF(boxFont.pointSizeF());
    boxFont.setBold(false);
    const auto line = [&](const char* name, int top) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setFont(boxFont);
        PlaceTwips(edit, 1320, top, 3015, 285);
        return edit;
    };
    txtCarName = line("txtCarName", 840);
    txtCarAuthor = line("txtCarAuthor", 1200);
    txtCarBasedOn = line("txtCarBasedOn", 1560);
    txtDescription = new QPlainTextEdit(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setFont(boxFont);
    txtDescription->setToolTip(QStringLiteral("Get a description for this car."));
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // As in a multi-line box on the game's platform, Tab moves on rather than typing a tab.
    txtDescription->setTabChangesFocus(true);
    PlaceTwips(txtDescription, 1320, kDescriptionTop, 3015, kDescriptionBottom - kDescriptionTop);

    const auto label = [&](const char* name, const QString& text, int left, int top, int width,
                           int height) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setFont(tahomaBold);
        PlaceTwips(l, left, top, width, height);
        // The desktop's font that stands in for Tahoma may be wider: a caption that would be
        // cut off takes the room it needs, which the gap before the text boxes leaves it.
        l->resize(qMax(l->width(), l->sizeHint().width()), l->height());
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    label("Label4", QStringLiteral("Description:"), 120, 1920, 1095, 255);
    // Shown only for a car with problems, in the lower part of the description's place.
    lblProblems = label("lblProblems", QStringLiteral("Problems:"), 120, kProblemsTop, 1095, 255);
    lblProblems->hide();
    txtProblems = new QPlainTextEdit(this);
    txtProblems->setObjectName(QStringLiteral("txtProblems"));
    txtProblems->setFont(boxFont);
    txtProblems->setReadOnly(true);
    txtProblems->setTabChangesFocus(true);
    txtProblems->setFrameShape(QFrame::NoFrame);
    txtProblems->setBackgroundRole(QPalette::Window);
    PlaceTwips(txtProblems, 1320, kProblemsTop, 3015, kDescriptionBottom - kProblemsTop);
    txtProblems->hide();
    label("Label3", QStringLiteral("Based on:"), 240, 1560, 975, 255);
    label("Label2", QStringLiteral("Author:"), 240, 1200, 975, 255);
    label("Label1", QStringLiteral("Name:"), 240, 840, 975, 375);

    connect(cmdUpdateCarInfo, &QPushButton::clicked, this, &CarInfoPanel::UpdateCarInfo);
    connect(cmdReadMe, &QPushButton::clicked, this, &CarInfoPanel::readMeRequested);
    // An edit leaves something to save; showing a car leaves nothing.
    const auto dirty = [this] { cmdUpdateCarInfo->setEnabled(true); };
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        connect(edit, &QLineEdit::textChanged, this, dirty);
    connect(txtDescription, &QPlainTextEdit::textChanged, this, dirty);
}

void CarInfoPanel::ShowCar(const std::shared_ptr<cCar>& car, bool readOnly)
{
    mCar = car;
    mReadOnly = readOnly;
    setTitle(QStringLiteral("About ") + FileSystem::Shown(car->DirectoryName()));
    ShowCarInfo();
    // The game's own cars are shown, never changed.
    readOnly = readOnly || car->Classified() == cCar::Classification::Original;
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        edit->setReadOnly(readOnly);
    txtDescription->setReadOnly(readOnly);
    cmdUpdateCarInfo->setEnabled(false);
    cmdReadMe->setEnabled(car->HasReadMe());
}

void CarInfoPanel::ShowCarInfo()
{
    txtCarName->setText(mCar->CarName());
    txtCarAuthor->setText(mCar->Author());
    txtCarBasedOn->setText(mCar->BasedTemplate());
    txtDescription->setPlainText(DescriptionForBox(mCar->Description()));
    // A long name is read from its start, not its end.
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        edit->setCursorPosition(0);
}

bool CarInfoPanel::UpdateCarInfo()
{
    if (!mCar)
        return false;
    try {
        mCar->setCarName(txtCarName->text());
        mCar->setAuthor(txtCarAuthor->text());
        mCar->setBasedTemplate(txtCarBasedOn->text());
        mCar->setDescription(DescriptionFromBox(txtDescription->toPlainText()));
        if (!mCar->SaveSettings())
            return false;
    } catch (const modErrorHandling::AppError& error) {
        // The file and the system's reason tell the player what to mend (a full disk, say).
        QString text = QStringLiteral("There was an error updating the settings.");
        if (!error.detail().isEmpty())
            text += QLatin1Char('\n') + error.detail();
        MsgBox::Show(text, MsgBox::Icon::Critical, QStringLiteral("Error"));
        return false;
    }
    // What the file holds now, read back: the reader trims blanks at a value's ends, and a
    // bar typed in the description comes back as a line break.
    mCar->LoadSettings();
    ShowCar(mCar, mReadOnly);
    return true;
}

bool CarInfoPanel::MayLeave()
{
    if (!mCar || isHidden() || !cmdUpdateCarInfo->isEnabled())
        return true;
    switch (MsgBox::Show(
        QStringLiteral("Save the changes to '%1'?").arg(FileSystem::Shown(mCar->DirectoryName())),
        MsgBox::Icon::Question, MsgBox::kProgramTitle, MsgBox::Buttons::SaveDiscardCancel)) {
    case MsgBox::Answer::Save:
        return UpdateCarInfo();
    case MsgBox::Answer::Discard:
        ShowCar(mCar, mReadOnly);
        return true;
    default:
        return false;
    }
}

void CarInfoPanel::ShowProblems(const QStringList& lines)
{
    const bool any = !lines.isEmpty();
    txtProblems->setPlainText(CarMarks::Summary(lines));
    txtProblems->setVisible(any);
    lblProblems->setVisible(any);
    const int bottom = any ? kProblemsTop - 60 : kDescriptionBottom;
    txtDescription->resize(txtDescription->width(), Twips(bottom - kDescriptionTop));
}
