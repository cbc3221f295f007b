#include "ui/wizard/frmCreateCarWizard.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

const QString kCarData = QStringLiteral("Zelmor Car Data");

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

// Why a field's text cannot be the name of one entry directly inside the cars folder, or an
// empty text when it can. Anything else could reach outside the cars folder, or name a folder
// the game could not open or its files could not point at.
QString NameFault(const QString& field, const QString& name)
{
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')))
        return field + QStringLiteral(" may not contain \"\\\" or \"/\": it names one directory "
                                      "directly in the Drovak car directory.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return field + QStringLiteral(" may not be \".\" or \"..\".");
    for (const QChar c : name) {
        if (QStringView(u":*?\"<>|").contains(c))
            return field + QStringLiteral(" may not contain any of the characters : * ? \" < > |");
        if (c.category() == QChar::Other_Control)
            return field + QStringLiteral(" may not contain control characters such as a tab.");
    }
    if (!Cp1252::CanEncode(name)) {
        for (qsizetype i = 0; i < name.size(); ++i) {
            const qsizetype length = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
            const QStringView c = QStringView(name).mid(i, length);
            if (!Cp1252::CanEncode(c))
                return field + QStringLiteral(" may not contain \"%1\": Drovak's files cannot "
                                              "hold that character.")
                                   .arg(c);
            i += length - 1;
        }
    }
    return {};
}

} // namespace

frmCreateCarWizard::frmCreateCarWizard(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCreateCarWizard"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Create Car Wizard"));
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
    for (QPushButton* button : {cmdCancel, cmdFinish})
        button->setAutoDefault(false);
}

void frmCreateCarWizard::loadTemplates()
{
    for (const cCarCollection::Item& car : modMain::gCars())
        cboCarNames->addItem(car->DirectoryName());
    // The first item added becomes the field's text; the field starts empty.
    cboCarNames->setCurrentIndex(-1);
    cboCarNames->clearEditText();
}

void frmCreateCarWizard::setTemplateText(const QString& text)
{
    cboCarNames->setEditText(text);
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
    const QString templateText = cboCarNames->currentText();
    const QString folderText = txtDirName->text();

    if (templateText.isEmpty())
        return refuse(QStringLiteral("Please choose a car to base the template on."));
    if (const QString fault = NameFault(QStringLiteral("The template name"), templateText);
        !fault.isEmpty())
        return refuse(fault);
    // Names compare as the game's platform compares them, ignoring letter case.
    const FileNames::FolderListing cars(modMain::gSettings().CarDir());
    const QString templateDir = cars.find(templateText);
    if (templateDir.isEmpty())
        return refuse(QStringLiteral("Please choose a valid car name from the list."));
    if (folderText.isEmpty())
        return refuse(QStringLiteral("Please choose a name for the car directory."));
    if (const QString fault = NameFault(QStringLiteral("The directory name"), folderText);
        !fault.isEmpty())
        return refuse(fault);
    if (!cars.find(folderText).isEmpty())
        return refuse(QStringLiteral("This directory already exists!"));
    if (txtCarName->text().isEmpty())
        return refuse(QStringLiteral("Please give your new car a name."));

    MakeCarPath(templateDir, folderText);
}

void frmCreateCarWizard::MakeCarPath(const QString& templateDir, const QString& targetDir)
{
    const QString carsFolder = modMain::gSettings().CarDir();
    const QString carName = txtCarName->text();
    const QString newFolder = FileNames::Join(carsFolder, targetDir);
    try {
        modMain::CreateFolder(newFolder);
        modMain::CopyFiles(FileNames::Join(carsFolder, templateDir), newFolder);

        // The copy may have brought CarInfo.INI or Parameters.TXT: those are the files to change.
        const FileNames::FolderListing copied(newFolder);
        const QString info = copied.path(QStringLiteral("carinfo.ini"));
        // A failed entry goes unreported, as with the game's platform's own profile writer.
        modQuarnIniAPI::WriteProfileString(kCarData, QStringLiteral("Name"), carName, info);
        modQuarnIniAPI::WriteProfileString(kCarData, QStringLiteral("Author"),
                                           modMain::gSettings().Author(), info);
        modQuarnIniAPI::WriteProfileString(kCarData, QStringLiteral("OriginalSkin"), templateDir,
                                           info);

        // The folder references are the game's own text and keep their backslashes everywhere.
        const QString params = copied.path(QStringLiteral("parameters.txt"));
        QString text = modMain::ReadWholeFile(params);
        modMain::ReplaceAll(text, QLatin1Char('\\') + templateDir + QLatin1Char('\\'),
                            QLatin1Char('\\') + targetDir + QLatin1Char('\\'));

        // Each rewrite has shown its own failure; going on would claim a success.
        const QString folderPath = newFolder + QDir::separator();
        if (!modMain::WriteWholeFile(params, text) ||
            !modMain::SetParamsName(folderPath, carName) || !modMain::SetParamsObtain(folderPath))
            return;
    } catch (const modMain::FileError& error) {
        MsgBox::Show(
            QStringLiteral("An error occurred while attempting to create the directory.\r\n") +
                error.description(),
            MsgBox::Icon::Critical, QStringLiteral("Doh!"));
        return;
    }

    const QString separator = QDir::separator();
    MsgBox::Show(carName + QStringLiteral(" has been created under directory '") + separator +
                     QStringLiteral("cars") + separator + targetDir +
                     QStringLiteral("'.  Click on the Refresh button to see your new car on the "
                                    "list."),
                 MsgBox::Icon::Information, QStringLiteral("Success!"));
    close();
}

#include "frmCreateCarWizard.moc"
