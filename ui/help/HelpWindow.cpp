#include "ui/help/HelpWindow.h"

#include "ui/common/MessageTexts.h"
#include "ui/common/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cerrno>

#ifndef KALDEX_DATA_FROM_BIN
#define KALDEX_DATA_FROM_BIN "../share/kaldex"  // the data folder from the program's folder
#endif

namespace kaldex::ui {

HelpWindow::HelpWindow(HelpFile file, QWidget *parent) : QDialog(parent), file_(std::move(file))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка"));
    resize(620, 460);

    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("Search"));
    searchField_->setPlaceholderText(QStringLiteral("Искать в справке"));
    topicList_ = new QListWidget(this);
    topicList_->setObjectName(QStringLiteral("Topics"));
    topicText_ = new QTextBrowser(this);
    topicText_->setObjectName(QStringLiteral("Text"));
    auto *contentsButton = new QPushButton(QStringLiteral("Содержание"), this);
    contentsButton->setObjectName(QStringLiteral("Contents"));
    contentsButton->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    auto *searchLabel = new QLabel(QStringLiteral("&Поиск:"), this);
    searchLabel->setBuddy(searchField_);
    layout->addWidget(searchLabel);
    layout->addWidget(searchField_);
    layout->addWidget(topicList_, 1);
    layout->addWidget(topicText_, 3);
    layout->addWidget(contentsButton, 0, Qt::AlignLeft);

    filter(QString());
    connect(searchField_, &QLineEdit::textChanged, this, &HelpWindow::filter);
    connect(topicList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            showTopic(item->data(Qt::UserRole).toString());
    });
    connect(contentsButton, &QPushButton::clicked, this, [this] { run(HelpContents); });
}

void HelpWindow::filter(const QString &partial)
{
    topicList_->clear();
    for (const HelpTopic &topic : file_.topics()) {
        const QString title = QString::fromStdString(topic.title);
        if (partial.isEmpty() || title.contains(partial, Qt::CaseInsensitive) ||
            QString::fromStdString(topic.text).contains(partial, Qt::CaseInsensitive)) {
            auto *item = new QListWidgetItem(title, topicList_);
            item->setData(Qt::UserRole, QString::fromStdString(topic.key));
        }
    }
}

void HelpWindow::showTopic(const QString &key)
{
    const HelpTopic *topic = file_.find(key.toStdString());
    if (!topic)
        topic = file_.find("contents");
    if (!topic)
        topic = &file_.topics().front();
    shownKey_ = QString::fromStdString(topic->key);
    setWindowTitle(QStringLiteral("Справка — ") + QString::fromStdString(topic->title));
    topicText_->setPlainText(QString::fromStdString(topic->text));
}

void HelpWindow::run(int command, int data)
{
    switch (command) {
    case HelpContext: showTopic(QString::number(data)); break;
    case HelpOnHelp: showTopic(QStringLiteral("help-on-help")); break;
    case HelpPartialKey:
        searchField_->clear();
        showTopic(QStringLiteral("contents"));
        searchField_->setFocus();
        break;
    case HelpContents:
    default:
        searchField_->clear();
        showTopic(QStringLiteral("contents"));
        break;
    }
    show();
    raise();
    activateWindow();
}

QString helpFilePath(const QString &programDir, const QString &fileName)
{
    const QDir dir(programDir);
    const QString beside = dir.filePath(fileName);
    const QString installed = QDir::cleanPath(dir.filePath(QStringLiteral(KALDEX_DATA_FROM_BIN "/") + fileName));
    return !QFileInfo(beside).isFile() && QFileInfo(installed).isFile() ? installed : beside;
}

void addHelpKey(QWidget *window, WindowHelpTopic topic)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, topic] { callHelp(window, QString::fromLatin1(kWindowsHelpFile), HelpContext, topic); });
}

HelpWindow *callHelp(QWidget *parent, const QString &fileName, int command, int data)
{
    if (auto *open = parent->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly)) {
        open->run(command, data);
        return open;
    }
    const QString path = helpFilePath(QCoreApplication::applicationDirPath(), fileName);
    QFile file(path);
    std::string error;
    HelpFile help;
    errno = 0;
    const bool opened = file.open(QIODevice::ReadOnly);
    const int openError = errno;
    if (!opened || !help.parse(file.readAll().toStdString(), &error)) {
        showMessage(parent, QStringLiteral("Help"),
                    QStringLiteral("Файл справки «%1» не найден или повреждён (%2).")
                        .arg(QDir::toNativeSeparators(path),
                             !opened ? systemErrorText(openError) : QString::fromStdString(error)));
        return nullptr;
    }
    auto *window = new HelpWindow(std::move(help), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->run(command, data);
    return window;
}

}  // namespace kaldex::ui
