#include "editor/HelpWindow.h"

#include "app/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kaldex::ui {

HelpWindow::HelpWindow(HelpFile file, QWidget *parent) : QDialog(parent), file_(std::move(file))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка"));
    resize(620, 460);

    Search = new QLineEdit(this);
    Search->setObjectName(QStringLiteral("Search"));
    Search->setPlaceholderText(QStringLiteral("Искать в справке"));
    Topics = new QListWidget(this);
    Topics->setObjectName(QStringLiteral("Topics"));
    Text = new QTextBrowser(this);
    Text->setObjectName(QStringLiteral("Text"));
    Contents = new QPushButton(QStringLiteral("Содержание"), this);
    Contents->setObjectName(QStringLiteral("Contents"));
    Contents->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    auto *searchLabel = new QLabel(QStringLiteral("&Поиск:"), this);
    searchLabel->setBuddy(Search);
    layout->addWidget(searchLabel);
    layout->addWidget(Search);
    layout->addWidget(Topics, 1);
    layout->addWidget(Text, 3);
    layout->addWidget(Contents, 0, Qt::AlignLeft);

    filter(QString());
    connect(Search, &QLineEdit::textChanged, this, &HelpWindow::filter);
    connect(Topics, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            showTopic(item->data(Qt::UserRole).toString());
    });
    connect(Contents, &QPushButton::clicked, this, [this] { run(HelpContents); });
}

void HelpWindow::filter(const QString &partial)
{
    Topics->clear();
    for (const HelpTopic &topic : file_.topics()) {
        const QString title = QString::fromStdString(topic.title);
        if (partial.isEmpty() || title.contains(partial, Qt::CaseInsensitive) ||
            QString::fromStdString(topic.text).contains(partial, Qt::CaseInsensitive)) {
            auto *item = new QListWidgetItem(title, Topics);
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
    Text->setPlainText(QString::fromStdString(topic->text));
}

void HelpWindow::run(int command, int data)
{
    switch (command) {
    case HelpContext:
        showTopic(QString::number(data));
        break;
    case HelpOnHelp:
        showTopic(QStringLiteral("help-on-help"));
        break;
    case HelpPartialKey:
        Search->clear();
        showTopic(QStringLiteral("contents"));
        Search->setFocus();
        break;
    case HelpContents:
    default:
        Search->clear();
        showTopic(QStringLiteral("contents"));
        break;
    }
    show();
    raise();
    activateWindow();
}

HelpWindow *callHelp(QWidget *parent, const QString &fileName, int command, int data)
{
    if (auto *open = parent->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly)) {
        open->run(command, data);
        return open;
    }
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
    QFile file(path);
    std::string error;
    HelpFile help;
    if (!file.open(QIODevice::ReadOnly) || !help.parse(file.readAll().toStdString(), &error)) {
        showMessage(parent, QStringLiteral("Help"),
                    QStringLiteral("Файл справки «%1» не найден или повреждён (%2).")
                        .arg(QDir::toNativeSeparators(path),
                             error.empty() ? file.errorString() : QString::fromStdString(error)));
        return nullptr;
    }
    auto *window = new HelpWindow(std::move(help), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->run(command, data);
    return window;
}

}  // namespace kaldex::ui
