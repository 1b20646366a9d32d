// The help files: the reader of their format, and the two files the program ships.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/core/help_file.h"

namespace help = platform::help;

namespace {

std::string Text(const help::Paragraph& p) {
  std::string out;
  for (const help::Run& r : p.runs) out += r.link ? "{" + std::to_string(*r.link) + ":" + r.text + "}" : r.text;
  return out;
}

std::string Error(const std::string& text) {
  std::string error;
  EXPECT_FALSE(help::Parse(text, &error).has_value()) << text;
  return error;
}

}  // namespace

TEST(HelpFile, TopicsParagraphsListsAndLinks) {
  const std::string text =
      "\xEF\xBB\xBF"
      "LUMIVANE-HELP 1\r\n"
      "# a comment\n"
      "\n"
      "@topic 0 目次\n"
      "はじめに\n"
      "二行目です。\n"
      "\n"
      "・[[7|窓の大きさ]]\n"
      "・[[102|「位置」タブ]]の説明\n"
      "@topic 7 窓の大きさ\n"
      "[[0|目次]]へ戻る。\n"
      "@topic 102 「位置」タブ\n";
  std::string error;
  const auto doc = help::Parse(text, &error);
  ASSERT_TRUE(doc.has_value()) << error;
  ASSERT_EQ(doc->topics.size(), 3u);
  const help::Topic& contents = doc->Contents();
  EXPECT_EQ(contents.number, 0);
  EXPECT_EQ(contents.title, "目次");
  ASSERT_EQ(contents.paragraphs.size(), 3u);
  // Lines of a paragraph join without spaces; list lines stay items of their own.
  EXPECT_EQ(Text(contents.paragraphs[0]), "はじめに二行目です。");
  EXPECT_FALSE(contents.paragraphs[0].listItem);
  EXPECT_TRUE(contents.paragraphs[1].listItem);
  EXPECT_EQ(Text(contents.paragraphs[1]), "・{7:窓の大きさ}");
  EXPECT_EQ(Text(contents.paragraphs[2]), "・{102:「位置」タブ}の説明");
  ASSERT_NE(doc->Find(102), nullptr);
  EXPECT_TRUE(doc->Find(102)->paragraphs.empty());
  EXPECT_EQ(doc->Find(8), nullptr);
  // Without topic 0 the first topic is the contents.
  const auto noZero = help::Parse("LUMIVANE-HELP 1\n@topic 5 五\n本文\n", &error);
  ASSERT_TRUE(noZero.has_value()) << error;
  EXPECT_EQ(noZero->Contents().number, 5);
}

TEST(HelpFile, AnythingOffTheFormatIsRefusedWithItsLine) {
  EXPECT_EQ(Error(""), "line 1: not a help file (the first line must be \"LUMIVANE-HELP 1\")");
  EXPECT_EQ(Error("<html>\n"), "line 1: not a help file (the first line must be \"LUMIVANE-HELP 1\")");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n"), "no topics");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\nstray\n@topic 0 a\n"), "line 2: text before the first @topic");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic x a\n"), "line 2: a topic line reads \"@topic NUMBER TITLE\"");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic 3\n"), "line 2: a topic line reads \"@topic NUMBER TITLE\"");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic -1 a\n"), "line 2: a topic line reads \"@topic NUMBER TITLE\"");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic 1 a\n@topic 1 b\n"), "line 3: topic 1 twice");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic 1 a\n\n[[2|b]]\n"), "line 4: a link to topic 2, which is not in the file");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic 1 a\nx [[1|b\n"), "line 3: a broken [[N|label]] link");
  EXPECT_EQ(Error("LUMIVANE-HELP 1\n@topic 1 a\n[[1|]]\n"), "line 3: a broken [[N|label]] link");
}

TEST(HelpFile, AFileThatCannotBeReadSaysWhichAndWhy) {
  char pattern[] = "/tmp/lumivane-help-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  std::string error;
  EXPECT_FALSE(help::Load(dir + "/Missing.HLP", &error).has_value());
  EXPECT_EQ(error, dir + "/Missing.HLP: not found");
  ASSERT_EQ(mkfifo((dir + "/pipe.hlp").c_str(), 0600), 0);
  EXPECT_FALSE(help::Load(dir + "/pipe.hlp", &error).has_value());
  EXPECT_EQ(error, dir + "/pipe.hlp: not a plain file");
  std::ofstream(dir + "/bad.hlp") << "LUMIVANE-HELP 1\n@topic 1 a\n[[9|x]]\n";
  EXPECT_FALSE(help::Load(dir + "/bad.hlp", &error).has_value());
  EXPECT_EQ(error, dir + "/bad.hlp: line 3: a link to topic 9, which is not in the file");
  std::filesystem::remove_all(dir);
}

TEST(ShippedHelp, TheProgramsHelpHasItsContentsAndATopicForEverySettingsTab) {
  std::string error;
  const auto doc = help::Load(std::string(LV_DATA_FOLDER) + "/Lumivane.HLP", &error);
  ASSERT_TRUE(doc.has_value()) << error;
  EXPECT_EQ(doc->Contents().number, 0);
  const std::pair<int, const char*> tabs[] = {{102, "「位置」"}, {103, "「窓枠」"}, {104, "「背景」"},
                                              {105, "「頻度」"}, {106, "「時計」"}};
  for (const auto& [number, tab] : tabs) {
    const help::Topic* topic = doc->Find(number);
    ASSERT_NE(topic, nullptr) << number;
    EXPECT_EQ(topic->title.rfind(tab, 0), 0u) << topic->title;
    EXPECT_FALSE(topic->paragraphs.empty()) << number;
  }
  // Every other topic can be reached from the contents.
  std::set<int> linked;
  for (const help::Paragraph& p : doc->Contents().paragraphs) {
    for (const help::Run& r : p.runs) {
      if (r.link) linked.insert(*r.link);
    }
  }
  for (const help::Topic& t : doc->topics) {
    if (t.number != 0) EXPECT_TRUE(linked.count(t.number)) << "topic " << t.number << " is not in the contents";
  }
}

TEST(ShippedHelp, TheAstronomyBookAnswersAtLeastTwelveQuestions) {
  std::string error;
  const auto doc = help::Load(std::string(LV_DATA_FOLDER) + "/Nebulorium.hlp", &error);
  ASSERT_TRUE(doc.has_value()) << error;
  EXPECT_EQ(doc->Contents().number, 0);
  int questions = 0;
  for (const help::Topic& t : doc->topics) {
    if (t.number == 0) continue;
    ++questions;
    EXPECT_NE(t.title.find("？"), std::string::npos) << t.title;
    EXPECT_GE(t.paragraphs.size(), 1u) << t.title;
  }
  EXPECT_GE(questions, 12);
}
