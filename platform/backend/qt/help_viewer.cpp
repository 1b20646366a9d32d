#include "platform/backend/qt/help_viewer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

namespace platform {
namespace {

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString TopicHtml(const help::Topic& topic) {
  QString html = "<h2>" + Escaped(topic.title) + "</h2>";
  bool inList = false;
  for (const help::Paragraph& p : topic.paragraphs) {
    if (p.listItem && !inList) html += "<ul>";
    if (!p.listItem && inList) html += "</ul>";
    inList = p.listItem;
    QString body;
    bool first = true;
    for (const help::Run& run : p.runs) {
      std::string text = run.text;
      // The list's own bullet stands for the item mark of the file.
      if (first && p.listItem && text.rfind("・", 0) == 0) text.erase(0, std::string("・").size());
      first = false;
      body += run.link ? "<a href=\"topic:" + QString::number(*run.link) + "\">" + Escaped(text) + "</a>"
                       : Escaped(text);
    }
    html += p.listItem ? "<li>" + body + "</li>" : "<p>" + body + "</p>";
  }
  if (inList) html += "</ul>";
  return html;
}

}  // namespace

HelpViewer::HelpViewer(const std::string& path) : QWidget(nullptr), path_(path) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(640, 460);
  const QString name = QString::fromStdString(std::filesystem::path(path).filename().string());

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout();
  back_ = new QToolButton(this);
  back_->setText("← 戻る");
  forward_ = new QToolButton(this);
  forward_->setText("進む →");
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch(1);
  layout->addLayout(bar);
  problem_ = new QLabel(this);
  problem_->setWordWrap(true);
  layout->addWidget(problem_);
  auto* body = new QHBoxLayout();
  list_ = new QListWidget(this);
  list_->setMaximumWidth(220);
  text_ = new QTextBrowser(this);
  text_->setOpenLinks(false);
  body->addWidget(list_);
  body->addWidget(text_, 1);
  layout->addLayout(body, 1);

  std::string error;
  doc_ = help::Load(path, &error);
  if (!doc_) {
    setWindowTitle("ヘルプ - " + name);
    problem_->setText("ヘルプファイルを読めません: " + QString::fromStdString(error));
    list_->hide();
    text_->hide();
    back_->setEnabled(false);
    forward_->setEnabled(false);
    return;
  }
  problem_->hide();
  setWindowTitle(QString::fromStdString(doc_->Contents().title) + " - " + name);
  for (const help::Topic& t : doc_->topics) {
    auto* item = new QListWidgetItem(QString::fromStdString(t.title), list_);
    item->setData(Qt::UserRole, t.number);
  }
  QObject::connect(list_, &QListWidget::itemActivated,
                   [this](QListWidgetItem* item) { Display(item->data(Qt::UserRole).toInt(), true); });
  QObject::connect(list_, &QListWidget::itemClicked,
                   [this](QListWidgetItem* item) { Display(item->data(Qt::UserRole).toInt(), true); });
  QObject::connect(text_, &QTextBrowser::anchorClicked, [this](const QUrl& url) {
    if (url.scheme() == "topic") Display(url.path().toInt(), true);
  });
  QObject::connect(back_, &QToolButton::clicked, [this] { Step(-1); });
  QObject::connect(forward_, &QToolButton::clicked, [this] { Step(1); });
}

void HelpViewer::ShowContents() {
  if (doc_) Display(doc_->Contents().number, true);
}

void HelpViewer::ShowTopic(std::int32_t number) {
  if (!doc_) return;
  if (!doc_->Find(number)) {
    problem_->setText("このヘルプファイルには番号 " + QString::number(number) + " の項目がありません。目次を表示します。");
    problem_->show();
    Display(doc_->Contents().number, true);
    return;
  }
  problem_->hide();
  Display(number, true);
}

void HelpViewer::Display(std::int32_t number, bool remember) {
  const help::Topic* topic = doc_ ? doc_->Find(number) : nullptr;
  if (!topic) return;
  text_->setHtml(TopicHtml(*topic));
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->data(Qt::UserRole).toInt() == number) list_->setCurrentRow(i);
  }
  if (remember && !(at_ < history_.size() && history_[at_] == number)) {
    if (!history_.empty()) history_.resize(at_ + 1);
    history_.push_back(number);
    at_ = history_.size() - 1;
  }
  UpdateButtons();
}

void HelpViewer::Step(int direction) {
  if (history_.empty()) return;
  if (direction < 0 && at_ == 0) return;
  if (direction > 0 && at_ + 1 >= history_.size()) return;
  at_ = direction < 0 ? at_ - 1 : at_ + 1;
  Display(history_[at_], false);
}

void HelpViewer::UpdateButtons() {
  back_->setEnabled(at_ > 0);
  forward_->setEnabled(at_ + 1 < history_.size());
}

}  // namespace platform
