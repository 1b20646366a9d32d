// The help viewer: a window of its own for one help file, with the list of topics, the
// topic's text with its links, and back and forward through the topics seen.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/help_file.h"

class QLabel;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace platform {

class HelpViewer : public QWidget {
 public:
  explicit HelpViewer(const std::string& path);

  // Shows the contents topic, or the topic numbered `number` (the contents when the file
  // has no such topic, saying so).
  void ShowContents();
  void ShowTopic(std::int32_t number);

 private:
  void Display(std::int32_t number, bool remember);
  void Step(int direction);
  void UpdateButtons();

  std::string path_;
  std::optional<help::Document> doc_;
  QLabel* problem_ = nullptr;
  QListWidget* list_ = nullptr;
  QTextBrowser* text_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  std::vector<std::int32_t> history_;
  std::size_t at_ = 0;  // index in history_ of the topic shown
};

}  // namespace platform
