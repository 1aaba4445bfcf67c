#include "ui/search/SearchWindow.h"

#include "core/query/Query.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/FileBytes.h"
#include "ui/common/ErrorBanner.h"
#include "ui/common/Messages.h"
#include "ui/common/Toolkit.h"
#include "ui/editor/PocketEditor.h"
#include "ui/entry/EntryWindow.h"
#include "ui/viewer/ResultViewer.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cerrno>

namespace kaldex::ui {
namespace {

const QStringList kBanner = {
    QStringLiteral("               ЛАНТЕР"),
    QStringLiteral("Библиографическая БД KALDEX по"),
    QStringLiteral(" транспортным свойствам смесей "),
    QStringLiteral("разреженных нейтральных газов и"),
    QStringLiteral(" потенциалам взаимодействия их") + QString(35, QLatin1Char(' ')),
    QStringLiteral("                компонентов."),
    QString(),
    QStringLiteral("   "),
};

const QStringList kLegend = {
    QStringLiteral("Other- другое"),
    QStringLiteral("Visc-вязкость"),
    QStringLiteral("Cond-теплопроводность"),
    QStringLiteral("TDF-термодиффузия"),
    QStringLiteral("Dif-диффузия"),
    QStringLiteral("Pot-потенциал"),
    QStringLiteral("Vir-вириальные коэффициенты"),
    QStringLiteral("Beam-молекулярные  пучки"),
    QStringLiteral("Spectr-спектроскопия"),
    QStringLiteral("The-теория"),
    QStringLiteral("Exp-экспермеримент"),
    QStringLiteral("N- поиск по номеру документа"),
    QStringLiteral("Sub1+Sub2- поиск по двум "),
    QStringLiteral("или одному веществам "),
    QStringLiteral("Aut-фамилия одного из авторов"),
    QStringLiteral("Y<=,Y>= - поиск по году издания"),
};

QString reason(int error, const QString &folder = QStringLiteral("рабочую папку"))
{
    switch (error) {
    case ENOSPC: return QStringLiteral("на диске нет места");
    case EDQUOT: return QStringLiteral("исчерпана дисковая квота");
    case EACCES: return QStringLiteral("нет прав на запись в %1").arg(folder);
    case EPERM: return QStringLiteral("запись запрещена (нет прав на %1 или файл защищён от изменений)").arg(folder);
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    case EFBIG: return QStringLiteral("превышен допустимый размер файла");
    case EIO: return QStringLiteral("ошибка ввода-вывода");
    case ENOENT: return QStringLiteral("папки нет");
    case EEXIST: return QStringLiteral("файл с таким именем уже есть");
    default: return systemErrorText(error);
    }
}

QString folderPhrase(const std::string &file)
{
    return file.find('/') == std::string::npos
               ? QStringLiteral("рабочую папку")
               : QStringLiteral("папку «%1»").arg(QString::fromStdString(folderOf(file)));
}

QString moment(const FileIdentity &file)
{
    return QDateTime::fromSecsSinceEpoch(file.modifiedSeconds).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString changeText(const SaveResult &result)
{
    switch (result.change) {
    case FileChange::Appeared:
        return QStringLiteral("при «CONT» его не было, а теперь он есть (%1 байт, записан %2)")
            .arg(result.found.size)
            .arg(moment(result.found));
    case FileChange::Removed: return QStringLiteral("его удалили или переименовали");
    case FileChange::Replaced:
        return QStringLiteral("его заменили другим файлом — так сохраняет базу другая программа KALDEX "
                              "(при загрузке %1 байт, теперь %2 байт, записан %3)")
            .arg(result.loaded.size)
            .arg(result.found.size)
            .arg(moment(result.found));
    case FileChange::Modified:
    case FileChange::None: break;
    }
    return QStringLiteral("его содержимое изменено (при загрузке %1 байт, теперь %2 байт, изменён %3)")
        .arg(result.loaded.size)
        .arg(result.found.size)
        .arg(moment(result.found));
}

}  // namespace

SearchWindow::SearchWindow(DocumentStore &store, QWidget *parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("base"));
    setWindowTitle(QStringLiteral("base"));
    setFixedSize(653, 530);
    setFont(layoutFont(QStringLiteral("MS Sans Serif"), 11));
    setBackground(this, palette().color(QPalette::Base));

    auto name = [](QWidget *widget, const char *objectName, QRect place) {
        widget->setObjectName(QString::fromLatin1(objectName));
        widget->setGeometry(place);
    };
    auto check = [&](const char *objectName, const char *caption, QRect place) {
        auto *box = new QCheckBox(QString::fromUtf8(caption), this);
        name(box, objectName, place);
        return box;
    };
    auto edit = [&](const char *objectName, QRect place) {
        auto *field = new QLineEdit(this);
        name(field, objectName, place);
        return field;
    };
    auto label = [&](const char *objectName, const char *caption, QRect place) {
        auto *text = new QLabel(QString::fromUtf8(caption), this);
        name(text, objectName, place);
        return text;
    };
    auto button = [&](const char *objectName, const char *caption, QRect place) {
        auto *push = new QPushButton(QString::fromUtf8(caption), this);
        name(push, objectName, place);
        push->setAutoDefault(false);
        return push;
    };
    auto frame = [&](const char *objectName, QRect place) {
        auto *bevel = new QFrame(this);
        bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
        name(bevel, objectName, place);
        bevel->lower();
        return bevel;
    };
    auto list = [&](const char *objectName, QRect place, const QStringList &lines) {
        auto *box = new QListWidget(this);
        name(box, objectName, place);
        box->setSelectionMode(QAbstractItemView::NoSelection);
        box->setTextElideMode(Qt::ElideNone);
        for (const QString &line : lines) {
            auto *item = new QListWidgetItem(line, box);
            item->setSizeHint(QSize(0, 19));
        }
        box->setFont(layoutFont(QStringLiteral("Times New Roman"), 16));
        return box;
    };

    bannerList = list("ListBox1", QRect(12, 57, 301, 120), kBanner);
    keyFrame = frame("Bevel1", QRect(29, 8, 383, 50));
    otherKey = check("CheckBox16", "Other", QRect(42, 12, 50, 16));
    viscosityKey = check("CheckBox3", "Visc", QRect(106, 12, 40, 17));
    conductivityKey = check("CheckBox4", "Cond", QRect(170, 12, 48, 17));
    thermalDiffusionKey = check("CheckBox5", "TDF", QRect(234, 12, 42, 17));
    diffusionKey = check("CheckBox9", "Dif", QRect(298, 12, 48, 17));
    potentialKey = check("CheckBox10", "Pot", QRect(362, 12, 46, 17));
    virialKey = check("CheckBox6", "Vir", QRect(106, 37, 41, 17));
    beamKey = check("CheckBox7", "Beam", QRect(170, 37, 48, 17));
    spectroscopyKey = check("CheckBox8", "Spectr", QRect(234, 37, 56, 17));
    theoryKey = check("CheckBox11", "The", QRect(298, 37, 40, 17));
    experimentKey = check("CheckBox12", "Exp", QRect(362, 37, 48, 17));
    textFragmentLabel = label("Label9", "Поиск по тексту в окне дополнительные сведения", QRect(9, 192, 210, 26));
    textFragmentLabel->setWordWrap(true);
    textFragmentField = edit("Edit11", QRect(240, 192, 100, 21));
    byNumberBox = check("CheckBox1", "N", QRect(145, 222, 42, 17));
    numberField = edit("Edit6", QRect(240, 219, 100, 21));
    bySubstancesBox = check("CheckBox2", "Sub1+Sub2", QRect(145, 251, 81, 17));
    firstSubstanceField = edit("Edit4", QRect(240, 243, 100, 21));
    secondSubstanceField = edit("Edit5", QRect(240, 267, 100, 21));
    byAuthorBox = check("CheckBox13", "Aut", QRect(145, 307, 40, 17));
    authorPrefixField = edit("Edit1", QRect(240, 307, 100, 21));
    byUpperYearBox = check("CheckBox14", "Y<=", QRect(145, 339, 40, 17));
    upperYearField = edit("Edit2", QRect(240, 339, 100, 21));
    byLowerYearBox = check("CheckBox15", "Y>=", QRect(145, 371, 48, 17));
    lowerYearField = edit("Edit3", QRect(240, 371, 100, 21));
    findButton = button("Button6", "Find", QRect(271, 414, 58, 25));
    messageList = list("ListBox2", QRect(47, 446, 189, 25), {});
    messageList->setFont(font());
    countFrame = frame("Bevel4", QRect(32, 224, 97, 50));
    documentCountLabel = label("Label2", "Кол.док.", QRect(55, 224, 43, 13));
    documentCountField = edit("Edit7", QRect(51, 240, 60, 21));
    documentCountField->setReadOnly(true);
    addLabel = label("Label1", "Добавление ", QRect(45, 283, 66, 13));
    addButton = button("add", "Add", QRect(51, 299, 60, 25));
    okButton = button("Button9", "OK", QRect(51, 335, 60, 25));
    okButton->setFont(layoutFont(QStringLiteral("Times New Roman"), 15));
    storeMaximumFrame = frame("Bevel2", QRect(456, 4, 177, 33));
    storeMaximumLabel = label("Label3", "Макс.чис.док.в базе", QRect(460, 14, 104, 13));
    storeMaximumField = edit("Edit8", QRect(570, 11, 49, 21));
    pocketMaximumFrame = frame("Bevel3", QRect(417, 42, 217, 33));
    pocketMaximumLabel = label("Label4", "Макс.число док.в кармане", QRect(424, 50, 136, 13));
    pocketMaximumField = edit("Edit9", QRect(567, 49, 49, 21));
    pocketCountLabel = label("Label5", "Число док.в кармане", QRect(431, 80, 109, 13));
    pocketCountField = edit("Edit10", QRect(573, 80, 49, 21));
    clearLabel = label("Label6", "Очистка кармана", QRect(441, 108, 89, 13));
    clearButton = button("Button4", "Clear", QRect(566, 104, 65, 20));
    viewLabel = label("Label7", "Просмотр кармармана", QRect(429, 134, 118, 13));
    viewButton = button("Button2", "View ", QRect(567, 126, 65, 25));
    legendList = list("ListBox4", QRect(347, 156, 292, 314), kLegend);

    documentCountField->setText(QString::number(store_.documentCount));
    storeMaximumField->setText(QString::number(DocumentStore::kShownMaximum));
    pocketMaximumField->setText(QString::number(DocumentStore::kShownMaximum));
    pocketCountField->setText(QString::number(store_.pocketCount));

    setTabChain({bannerList,
                 addButton,
                 firstSubstanceField,
                 secondSubstanceField,
                 authorPrefixField,
                 upperYearField,
                 lowerYearField,
                 findButton,
                 numberField,
                 viscosityKey,
                 conductivityKey,
                 thermalDiffusionKey,
                 virialKey,
                 beamKey,
                 byNumberBox,
                 bySubstancesBox,
                 spectroscopyKey,
                 diffusionKey,
                 potentialKey,
                 theoryKey,
                 experimentKey,
                 legendList,
                 byAuthorBox,
                 byUpperYearBox,
                 byLowerYearBox,
                 otherKey,
                 okButton,
                 documentCountField,
                 storeMaximumField,
                 pocketMaximumField,
                 pocketCountField,
                 viewButton,
                 messageList,
                 clearButton,
                 textFragmentField});
    bannerList->setFocus();

    connect(addButton, &QPushButton::clicked, this, &SearchWindow::addDocument);
    connect(findButton, &QPushButton::clicked, this, &SearchWindow::find);
    connect(viewButton, &QPushButton::clicked, this, &SearchWindow::showPocket);
    connect(clearButton, &QPushButton::clicked, this, &SearchWindow::clearPocket);
    connect(okButton, &QPushButton::clicked, this, &SearchWindow::saveAndClose);
    centerOnScreen(this);
}

QString SearchWindow::overflowText(long line)
{
    return QStringLiteral("В файле «ba0» больше %1 документов: загружены первые %1, остальные (с "
                          "%2-й строки файла) не поместились. Сохранение в этот файл отключено, чтобы не "
                          "потерять остальные документы.")
        .arg(DocumentStore::kMaxDocuments)
        .arg(line);
}

QString SearchWindow::saveFailureText(const SaveResult &result)
{
    const QString file = QString::fromStdString(result.fileName.empty() ? kDatabaseName : result.fileName);
    const QString intact = QStringLiteral("Прежний файл «ba0» не изменён. Окно поиска остаётся открытым, "
                                          "введённые документы не потеряны.");
    QString what;
    switch (result.status) {
    case SaveStatus::NotModified:
    case SaveStatus::Saved: return {};
    case SaveStatus::Overflow:
        what = QStringLiteral("База не сохранена: в файле «ba0» больше %1 документов, и запись "
                              "потеряла бы те, что не поместились в память.")
                   .arg(DocumentStore::kMaxDocuments);
        break;
    case SaveStatus::NotRead:
        what = QStringLiteral("База не сохранена: файл «ba0» не удалось прочитать при загрузке (или в нём не "
                              "оказалось базы), и запись заменила бы его документами этого сеанса.");
        break;
    case SaveStatus::NotAFile:
        what = QStringLiteral("База не сохранена: «ba0» в рабочей папке не является обычным файлом.");
        break;
    case SaveStatus::Changed:
        what = QStringLiteral("База не сохранена: файл «ba0» изменился после загрузки — %1. Запись потеряла бы "
                              "эти изменения, поэтому файл на диске оставлен как есть.")
                   .arg(changeText(result));
        break;
    case SaveStatus::LockedElsewhere:
        what = QStringLiteral("База не сохранена: файл «ba0» открыт для изменений другой программой KALDEX%1. "
                              "Файл на диске оставлен как есть.")
                   .arg(result.holder.pid > 0
                            ? QStringLiteral(" (процесс %1%2)")
                                  .arg(result.holder.pid)
                                  .arg(result.holder.host.empty() ? QString()
                                                                  : QStringLiteral(" на компьютере ") +
                                                                        QString::fromStdString(result.holder.host))
                            : QString());
        break;
    case SaveStatus::BeingSaved:
        what =
            QStringLiteral("База не сохранена: файл «ba0» в эту минуту сохраняет другая программа KALDEX%1, "
                           "и файл на диске оставлен как есть. Если никакая программа его не сохраняет, файл "
                           "«%2» рядом с ним остался от прерванного сохранения: удалите его.")
                .arg(result.holder.pid > 0 ? QStringLiteral(" (процесс %1)").arg(result.holder.pid) : QString(), file);
        break;
    case SaveStatus::NotWritable:
        what = result.errorNumber == EPERM
                   ? QStringLiteral("База не сохранена: файл «%1» защищён от любых изменений (неизменяемый файл); "
                                    "он оставлен как есть.")
                         .arg(file)
                   : QStringLiteral("База не сохранена: у файла «%1» нет разрешения на запись; он оставлен как "
                                    "есть. Чтобы сохранять в него, разрешите запись (chmod u+w) и нажмите «OK» "
                                    "ещё раз.")
                         .arg(file);
        break;
    case SaveStatus::NoBackupName: {
        const QString stem = QString::fromStdString(backupStem(LocalDate::today()));
        what = QStringLiteral("База не сохранена: все 11 имён резервных копий на сегодня (от ") + stem +
               QStringLiteral("0 до ") + stem +
               QStringLiteral("10) уже заняты. Перенесите старые копии в другую папку и нажмите «OK» ещё раз.");
    } break;
    case SaveStatus::WriteFailed:
        what = QStringLiteral("Не удалось записать новый файл базы «%1»: %2.")
                   .arg(file, reason(result.errorNumber, folderPhrase(result.fileName)));
        break;
    case SaveStatus::BackupFailed:
        what = QStringLiteral("Не удалось сохранить резервную копию «%1»: %2.")
                   .arg(QString::fromStdString(result.backupName), reason(result.errorNumber));
        break;
    case SaveStatus::ReplaceFailed:
        what = result.errorNumber == ENOENT && result.fileName == result.temporaryName
                   ? QStringLiteral("Не удалось заменить файл «ba0» новым: новый файл «%1» удалила другая программа.")
                         .arg(file)
                   : QStringLiteral("Не удалось заменить файл «%1» новым: %2.")
                         .arg(file, reason(result.errorNumber, folderPhrase(result.fileName)));
        break;
    }
    return what + QLatin1Char('\n') + intact;
}

QString SearchWindow::leftoverText(const SaveResult &result)
{
    QStringList files;
    for (const Leftover &left : result.leftovers)
        files << QStringLiteral("«%1» (записан %2)")
                     .arg(QString::fromStdString(left.name), QDateTime::fromSecsSinceEpoch(left.modifiedSeconds)
                                                                 .toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    if (files.isEmpty())
        return {};
    return QStringLiteral("Рядом с файлом «ba0» остались файлы сохранений, которые не завершились: %1. Это не база; "
                          "их можно удалить.")
        .arg(files.join(QStringLiteral(", ")));
}

void SearchWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (store_.loadOverflow && !warnedOverflow_) {
        warnedOverflow_ = true;
        QTimer::singleShot(0, this,
                           [this] { showMessage(this, QStringLiteral("KALDEX"), overflowText(store_.overflowLine)); });
    }
}

void SearchWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape would drop the window without saving; only "OK" or the title bar leave it.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

bool SearchWindow::readQuery(QueryInput &input)
{
    const std::array<QCheckBox *, kCategoryCount> categories = {
        otherKey,  viscosityKey, conductivityKey, thermalDiffusionKey, diffusionKey, potentialKey,
        virialKey, beamKey,      spectroscopyKey, theoryKey,           experimentKey};
    for (size_t i = 0; i < categories.size(); ++i)
        input.categories[i] = categories[i]->isChecked();
    input.byNumber = byNumberBox->isChecked();
    input.bySubstances = bySubstancesBox->isChecked();
    input.byAuthor = byAuthorBox->isChecked();
    input.byUpperYear = byUpperYearBox->isChecked();
    input.byLowerYear = byLowerYearBox->isChecked();

    // A number lookup reads the number alone; otherwise the ticked criteria
    // and the text fragment are read. A field the search does not read
    // cannot make it fail.
    const bool all = !input.byNumber;
    const struct {
        QLineEdit *edit;
        std::string *text;
        bool read;
    } fields[] = {{numberField, &input.number, input.byNumber},
                  {firstSubstanceField, &input.substance1, all && input.bySubstances},
                  {secondSubstanceField, &input.substance2, all && input.bySubstances},
                  {authorPrefixField, &input.author, all && input.byAuthor},
                  {upperYearField, &input.upperYear, all && input.byUpperYear},
                  {lowerYearField, &input.lowerYear, all && input.byLowerYear},
                  {textFragmentField, &input.text, all}};
    for (const auto &[edit, text, read] : fields) {
        QString bad;
        if (!toCp1251(edit->text(), *text, &bad) && !read) {
            text->clear();
        } else if (!bad.isEmpty()) {
            showMessage(this, QStringLiteral("base"),
                        QStringLiteral("Символ «%1» нельзя искать: база хранит только символы кодировки "
                                       "Windows-1251.")
                            .arg(bad));
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void SearchWindow::addMessage(const QString &line)
{
    messageList->addItem(line);
    messageList->scrollToBottom();  // the box shows one line: let it be the newest
}

void SearchWindow::find()
{
    QueryInput input;
    if (!readQuery(input))
        return;
    addMessage(QStringLiteral(" "));
    if (clearsMessages(input))
        messageList->clear();

    const QueryOutcome outcome = runQuery(store_, input);
    switch (outcome) {
    case QueryOutcome::Rejected: {
        ErrorBanner banner(this);
        banner.exec();
        break;
    }
    case QueryOutcome::Found:
    case QueryOutcome::NumberFound: {
        ResultViewer viewer(store_, this);
        viewer.exec();
        pocketCountField->setText(QString::number(store_.pocketCount));
        break;
    }
    default: addMessage(fromCp1251(outcomeMessage(outcome))); break;
    }
}

QString SearchWindow::sideFileQuestion()
{
    return QStringLiteral("Записать документы, добавленные или изменённые в этом сеансе, в отдельный файл "
                          "рядом с «ba0»? Позже команда «kaldex-tool append» добавит их в базу.");
}

QString SearchWindow::sideFileText(const QString &name)
{
    return QStringLiteral("Документы этого сеанса записаны в файл «%1» в рабочей папке. Файл «ba0» не изменён.\n"
                          "Чтобы добавить их в базу, когда файл «ba0» будет в порядке, выполните:\n"
                          "kaldex-tool append %1 ba0")
        .arg(name);
}

bool SearchWindow::saveToSideFile()
{
    const std::string name = saveSessionDocuments(store_, ".", LocalDate::today());
    if (name.empty()) {
        showMessage(this, QStringLiteral("KALDEX"),
                    QStringLiteral("Не удалось записать документы сеанса в отдельный файл: %1. Окно поиска "
                                   "остаётся открытым, введённые документы не потеряны.")
                        .arg(systemErrorText(errno)));
        return false;
    }
    showMessage(this, QStringLiteral("KALDEX"), sideFileText(QString::fromStdString(name)));
    return true;
}

const QString &SearchWindow::storeFullText()
{
    static const QString text = QStringLiteral("База заполнена: в ней уже %1 документов, больше добавить нельзя.")
                                    .arg(DocumentStore::kMaxDocuments);
    return text;
}

void SearchWindow::addDocument()
{
    if (store_.documentCount >= DocumentStore::kMaxDocuments) {
        showMessage(this, QStringLiteral("base"), storeFullText());
        return;
    }
    store_.changeNumber = 0;
    {
        EntryWindow entry(store_, this);
        entry.exec();
    }
    documentCountField->setText(QString::number(store_.documentCount));
}

void SearchWindow::showPocket()
{
    PocketEditor editor(store_, this);
    editor.exec();
}

void SearchWindow::clearPocket()
{
    store_.pocketCount = 0;
    pocketCountField->setText(QStringLiteral("0"));
}

void SearchWindow::saveAndClose()
{
    SaveResult result = saveDatabase(store_, ".", LocalDate::today());
    const QString leftovers = leftoverText(result);
    if (result.ok()) {
        if (!leftovers.isEmpty())
            showMessage(this, QStringLiteral("KALDEX"), leftovers);
        accept();
        return;
    }
    // Over a file that was not read whole, that changed since the load, that
    // another program holds or that is write-protected no save can succeed
    // now: the session's documents can go to a file of their own.
    if (!leftovers.isEmpty())
        showMessage(this, QStringLiteral("KALDEX"), leftovers);
    if (!result.never()) {
        showMessage(this, QStringLiteral("KALDEX"), saveFailureText(result));
        return;
    }
    if (askQuestion(this, QStringLiteral("KALDEX"), saveFailureText(result) + QLatin1Char('\n') + sideFileQuestion()) ==
            Answer::Yes &&
        saveToSideFile())
        accept();
}

}  // namespace kaldex::ui
