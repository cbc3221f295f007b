#include "ui/wizard/frmCreateCarWizard.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modFolderNames.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/FocusedButton.h"
#include "ui/Twips.h"
#include "ui/main/CarTreeModel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

// Opening the list counts as a change of the template field, so it has to be seen.
class TemplateComboBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        emit popupOpened();
        QComboBox::showPopup();
    }

signals:
    void popupOpened();
};

// The labels' places were made for MS Sans Serif at 9.75 pt. The desktop's sans serif that
// stands in for it is often wider; rather than cut a caption off, it gets the largest size, in
// quarter points, at which every label holds its text.
void SetLabelFont(const QList<QLabel*>& labels)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    for (qreal size = 9.75; size >= 6.0; size -= 0.25) {
        font.setPointSizeF(size);
        bool fits = true;
        for (QLabel* label : labels) {
            label->setFont(font);
            fits = fits && label->heightForWidth(label->width()) <= label->height();
        }
        if (fits)
            return;
    }
}

// A line break in the name would end the name's line in parameters.txt and carinfo.ini, and
// the rest would become lines of their own.
QString CarNameFault(const QString& name)
{
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The car name may not contain line breaks or other control "
                                  "characters such as a tab.");
    }
    // parameters.txt names the car too, and is the game's own file.
    return modFolderNames::CodePageFault(QStringLiteral("The car name"), name);
}

QString CarsPath(const QString& folderName)
{
    const QString separator = FileSystem::Separator();
    return separator + QStringLiteral("cars") + separator + FileSystem::Shown(folderName);
}

// What a creation that stopped part way leaves, so that the next "This directory already
// exists!" makes sense.
QString LeftBehind(const QString& targetDir)
{
    return QStringLiteral("The unfinished car was left in the Drovak car directory as '%1': "
                          "delete that directory, or choose another directory name.")
        .arg(CarsPath(targetDir));
}

} // namespace

frmCreateCarWizard::frmCreateCarWizard(const cCarsFolder& cars, QWidget* parent)
    : QDialog(parent), mCars(cars)
{
    setObjectName(QStringLiteral("frmCreateCarWizard"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Create Car Wizard"));
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    createControls();
    loadTemplates();

    // Connected after the list is filled: filling it is no change of the template field.
    connect(cboCarNames, &QComboBox::editTextChanged, this, &frmCreateCarWizard::enableFinish);
    connect(cmdFinish, &QPushButton::clicked, this, &frmCreateCarWizard::finishClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCreateCarWizard::close);
}

void frmCreateCarWizard::createControls()
{
    setFixedSize(Twips(7665), Twips(5595));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(QPixmap(QStringLiteral(":/wizard.png")));
    image->setGeometry(8, 6, 160, 360);

    const struct
    {
        const char* name;
        QRect place;
        QString text;
    } labels[] = {
        {"Label1", TwipsRect(2640, 480, 4935, 615),
         QStringLiteral("You have decided to create a new car from an existing one. Please answer "
                        "the following questions:")},
        {"Label2", TwipsRect(2640, 1440, 3855, 255),
         QStringLiteral("1) Choose a car directory as your template:")},
        {"Label3", TwipsRect(2640, 2400, 3855, 375),
         QStringLiteral("2) Choose a name for your new car:")},
        {"Label4", TwipsRect(2640, 3240, 4935, 975),
         QStringLiteral("3) Finally, choose a directory name. It should be a short name which "
                        "uniquely identifies your car in the Drovak car directory. It is "
                        "recommended that you NOT use spaces or special characters in this "
                        "field.")},
    };
    QList<QLabel*> made;
    for (const auto& entry : labels) {
        auto* label = new QLabel(entry.text, this);
        label->setObjectName(QLatin1String(entry.name));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(entry.place);
        made << label;
    }
    SetLabelFont(made);

    auto* templates = new TemplateComboBox(this);
    connect(templates, &TemplateComboBox::popupOpened, this, &frmCreateCarWizard::enableFinish);
    cboCarNames = templates;
    cboCarNames->setObjectName(QStringLiteral("cboCarNames"));
    cboCarNames->setEditable(true);
    // Enter in the field must not add the typed text to the list.
    cboCarNames->setInsertPolicy(QComboBox::NoInsert);
    // A typed name stays as typed: completing "r" to a listed "rc" would pick another car.
    cboCarNames->setCompleter(nullptr);
    cboCarNames->setGeometry(TwipsRect(3960, 1800, 2175, 315));

    txtCarName = new QLineEdit(this);
    txtCarName->setObjectName(QStringLiteral("txtCarName"));
    txtCarName->setGeometry(TwipsRect(3960, 2760, 3615, 285));

    txtDirName = new QLineEdit(this);
    txtDirName->setObjectName(QStringLiteral("txtDirName"));
    txtDirName->setGeometry(TwipsRect(3960, 4320, 3615, 285));

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(TwipsRect(5280, 5040, 1095, 495));

    cmdFinish = new QPushButton(QStringLiteral("Finish"), this);
    cmdFinish->setObjectName(QStringLiteral("cmdFinish"));
    cmdFinish->setGeometry(TwipsRect(6480, 5040, 1095, 495));
    cmdFinish->setEnabled(false);

    // Enter in a field would otherwise press a button of the dialog's choosing, Cancel
    // among them, and lose what was typed.
    for (QPushButton* button : {cmdCancel, cmdFinish}) {
        button->setAutoDefault(false);
        PressOnEnterWhenFocused(button);
    }
}

void frmCreateCarWizard::loadTemplates()
{
    // In the tree's order, as the player has just read the names there.
    QList<CarTreeModel::Node> names;
    names.reserve(modMain::gCars().Count());
    for (const cCarCollection::Item& car : modMain::gCars())
        names.append({FileSystem::Shown(car->DirectoryName()), car->DirectoryName(), {}});
    CarTreeModel::Sort(names);
    for (const CarTreeModel::Node& name : names)
        cboCarNames->addItem(name.text, name.key);
    // The first item added becomes the field's text; the field starts empty.
    cboCarNames->setCurrentIndex(-1);
    cboCarNames->clearEditText();
}

void frmCreateCarWizard::setTemplateText(const QString& text)
{
    cboCarNames->setEditText(text);
}

QString frmCreateCarWizard::templateName() const
{
    const int item = cboCarNames->currentIndex();
    if (item >= 0 && cboCarNames->itemText(item) == cboCarNames->currentText())
        return cboCarNames->itemData(item).toString();
    return cboCarNames->currentText();
}

void frmCreateCarWizard::keyPressEvent(QKeyEvent* event)
{
    // Esc leaves as Cancel does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmCreateCarWizard::enableFinish()
{
    cmdFinish->setEnabled(true);
}

void frmCreateCarWizard::refuse(const QString& text)
{
    MsgBox::Show(text, MsgBox::Icon::Exclamation, QStringLiteral("Cannot Create Car"));
}

void frmCreateCarWizard::finishClicked()
{
    const QString templateText = templateName();
    const QString folderText = txtDirName->text();

    if (templateText.isEmpty())
        return refuse(QStringLiteral("Please choose a car to base the template on."));
    if (const QString fault =
            modFolderNames::EntryNameFault(QStringLiteral("The template name"), templateText);
        !fault.isEmpty())
        return refuse(fault);
    // Names compare as the game's platform compares them, ignoring letter case.
    const FileNames::FolderListing cars = mCars.Listing();
    const QString templateDir = cars.find(templateText);
    if (templateDir.isEmpty())
        return refuse(QStringLiteral("Please choose a valid car name from the list."));
    if (folderText.isEmpty())
        return refuse(QStringLiteral("Please choose a name for the car directory."));
    const QString field = QStringLiteral("The directory name");
    if (const QString fault = modFolderNames::EntryNameFault(field, folderText); !fault.isEmpty())
        return refuse(fault);
    if (const QString fault = modFolderNames::CharacterFault(field, folderText); !fault.isEmpty())
        return refuse(fault);
    if (const QString fault = modFolderNames::WindowsNameFault(folderText); !fault.isEmpty())
        return refuse(fault);
    if (!cars.find(folderText).isEmpty())
        return refuse(QStringLiteral("This directory already exists!"));
    if (txtCarName->text().isEmpty())
        return refuse(QStringLiteral("Please give your new car a name."));
    if (const QString fault = CarNameFault(txtCarName->text()); !fault.isEmpty())
        return refuse(fault);

    makeCar(templateDir, folderText);
}

void frmCreateCarWizard::makeCar(const QString& templateDir, const QString& targetDir)
{
    const QString carName = txtCarName->text();
    const modMakeCar::Made made =
        mCars.Make(templateDir, targetDir, carName, modMain::gSettings().Author());
    if (!made.result.ok) {
        const QString leftBehind =
            made.folderMade ? QStringLiteral("\r\n") + LeftBehind(targetDir) : QString();
        MsgBox::Show(made.result.message + leftBehind, MsgBox::Icon::Critical,
                     QStringLiteral("Doh!"));
        return;
    }

    MsgBox::Show(carName + QStringLiteral(" has been created under directory '") +
                     CarsPath(targetDir) +
                     QStringLiteral("'.  Click on the Refresh button to see your new car on the "
                                    "list."),
                 MsgBox::Icon::Information, QStringLiteral("Success!"));
    close();
}

#include "frmCreateCarWizard.moc"
