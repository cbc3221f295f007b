#include "ui/about/frmAbout.h"

#include "app/Version.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/Launcher.h"
#include "platform/MsgBox.h"
#include "ui/Twips.h"
#include "ui/about/modInternet.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QtEndian>

namespace {

// The read of a registry value has room for this many bytes and no more.
constexpr int kValueBufferSize = 1024;

const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kSysInfoValue = QStringLiteral("PATH");
const QString kSharedToolsKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kSharedToolsValue = QStringLiteral("MSINFO");
const QString kSysInfoProgram = QStringLiteral("MSINFO32.EXE");

const QString kDisclaimer = QStringLiteral(
    "Torvane is not made, endorsed or supported by the makers of Drovak. Use it at your own "
    "risk.");

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    createControls();
    setFixedSize(Twips(4395), Twips(2790));

    setWindowTitle(QStringLiteral("About ") + MsgBox::kProgramTitle);
    findChild<QLabel*>(QStringLiteral("lblVersion"))
        ->setText(QStringLiteral("Version %1.%2.%3")
                      .arg(TORVANE_VERSION_MAJOR)
                      .arg(TORVANE_VERSION_MINOR)
                      .arg(TORVANE_VERSION_PATCH));
    QFont linkFont = lblZelmor->font();
    linkFont.setUnderline(true);
    lblZelmor->setFont(linkFont);
    QPalette linkColours = lblZelmor->palette();
    linkColours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblZelmor->setPalette(linkColours);

    cmdOK->setFocus();
}

void frmAbout::createControls()
{
    const QFont regular = TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, false);
    setFont(regular);

    const auto label = [this](const char* name, const QString& text, int left, int top, int width,
                              int height) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        PlaceTwips(l, left, top, width, height);
        return l;
    };

    QLabel* picIcon = label("picIcon", {}, 120, 120, 540, 540);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/torvane.png")));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    label("lblTitle", QStringLiteral("Zelmor Torvane"), 960, 120, 3285, 480)
        ->setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 13.5, true));
    label("lblVersion", {}, 960, 600, 3405, 225);
    label("lblCourtesy", QStringLiteral("Program Courtesy Of:"), 960, 960, 3315, 225)
        ->setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    label("lblMaker", QStringLiteral("Zelmor"), 960, 1200, 1635, 225);
    lblZelmor = label("lblZelmor", QUrl(modInternet::kZelmorPage).host(), 960, 1440, 2355, 225);
    lblZelmor->setCursor(Qt::PointingHandCursor);
    lblZelmor->setToolTip(modInternet::kZelmorPage);
    lblZelmor->installEventFilter(this);

    // An etched separator: a white line with a grey one over its upper half.
    const auto line = [this](int index, const QColor& colour, int left, int thickness) {
        auto* l = new QFrame(this);
        l->setObjectName(QStringLiteral("Line1"));
        l->setProperty("index", index);
        l->setFrameShape(QFrame::NoFrame);
        l->setAutoFillBackground(true);
        QPalette colours = l->palette();
        colours.setColor(QPalette::Window, colour);
        l->setPalette(colours);
        l->setGeometry(Twips(left), Twips(1800), Twips(4320) - Twips(left), thickness);
        return l;
    };
    line(0, Qt::white, 105, 2);
    line(1, QColor(128, 128, 128), 90, 1)->raise();

    QLabel* lblDisclaimer = label("lblDisclaimer", kDisclaimer, 120, 1920, 2550, 825);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceTwips(cmdOK, 3045, 1905, 1260, 345);
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    PlaceTwips(cmdSysInfo, 3060, 2355, 1245, 345);
    setTabOrder(cmdOK, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::StartSysInfo()
{
    const auto unavailable = [] {
        MsgBox::Show(QStringLiteral("System Information Is Unavailable At This Time"),
                     MsgBox::Icon::None, MsgBox::kProgramTitle);
    };

    QString tool;
    if (!GetKeyValue(Registry::kLocalMachine, kSysInfoKey, kSysInfoValue, tool)) {
        QString folder;
        if (!GetKeyValue(Registry::kLocalMachine, kSharedToolsKey, kSharedToolsValue, folder))
            return unavailable();
        tool = FileNames::Join(folder, kSysInfoProgram);
        if (!FileNames::IsPlainFile(tool))
            return unavailable();
    }
    // An empty path is what a value of an unexpected type leaves: nothing to start.
    if (tool.isEmpty() || !Launcher::StartProgram(tool).ok)
        unavailable();
}

bool frmAbout::GetKeyValue(Registry::Root keyRoot, const QString& keyName, const QString& subKeyRef,
                           QString& keyVal)
{
    const std::optional<Registry::Value> value =
        Registry::Read(keyRoot, keyName, subKeyRef, Registry::kAllAccess);
    if (!value || value->data.size() > kValueBufferSize) {
        keyVal.clear();
        return false;
    }

    QByteArray buffer(kValueBufferSize, '\0');
    std::copy(value->data.cbegin(), value->data.cend(), buffer.begin());
    const int size = int(value->data.size());
    QByteArrayView text(buffer.constData(), size);
    if (size > 0 && text.back() == '\0')
        text.chop(1);

    switch (value->type) {
    case Registry::kTypeString:
        keyVal = Cp1252::ToUnicode(text);
        break;
    case Registry::kTypeDWord:
        keyVal = QString::number(qFromLittleEndian<quint32>(buffer.constData()));
        break;
    default:
        break;
    }
    return true;
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblZelmor && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            lblZelmor->rect().contains(mouse->position().toPoint())) {
            modInternet::OpenWebPage(modInternet::kZelmorPage);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    // OK is the cancel button too.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
