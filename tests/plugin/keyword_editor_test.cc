// Editing the keyword list: the list, its selection and hint, the settings'
// keywords and the results' keyword indices, checked together.
#include "plugin/keyword_editor.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <random>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "jtv_writer.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using Lines = std::vector<std::string>;

class KeywordEditorTest : public ::testing::Test {
 protected:
  void Open(Lines words) {
    h.settings.Words = words;
    h.settings.WordCount = static_cast<std::int32_t>(words.size());
    h.run.Release();
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    // Results as a search of these keywords leaves them: result i found by keyword i.
    TFindStruct results;
    for (std::size_t i = 0; i < words.size(); ++i) {
      results.push_back({"line of " + words[i], 0, 0, static_cast<std::int32_t>(i)});
    }
    h.SetResults(results);
    h.platform.ClearCalls();
  }

  // Types text into the edit box and selects item (-1 for none).
  void Type(const std::string& text, int item = -1) {
    Form().EditFindStr.Text = text;
    Form().ListBoxWords.SetItemIndex(item);
  }

  FormPref& Form() { return h.plugin.Form(); }
  KeywordEditor& Editor() { return Probe(h.plugin).Keywords(); }
  Lines Items() { return Form().ListBoxWords.Items(); }
  std::vector<std::int32_t> Indices() {
    std::vector<std::int32_t> out;
    for (const auto& r : Probe(h.plugin).Results()) out.push_back(r.keywordIndex);
    return out;
  }

  PluginHarness h;
};

TEST_F(KeywordEditorTest, AddAndModifyRefuseDuplicatesInAnyLetterCase) {
  Open({"News", "\xD4\xE8\xEB\xFC\xEC"});  // the second is Cyrillic "Film" in Windows-1251
  struct Case {
    std::function<void()> act;
    Lines items;
    Lines boxes;
  };
  const Case cases[] = {
      {[&] {
         Type("news");
         Editor().AddKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC"},
       {"Duplicate record      "}},
      {[&] {
         Type("\xF4\xE8\xEB\xFC\xEC");
         Editor().AddKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC"},
       {"Duplicate record      "}},
      {[&] {
         Type("NEWS", 0);
         Editor().ModifyKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC"},
       {"Duplicate record      "}},
      {[&] {
         Type("News", 0);
         Editor().ModifyKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC"},
       {}},
      {[&] {
         Type("");
         Editor().AddKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC"},
       {}},
      {[&] {
         Type("Sport");
         Editor().AddKeyword();
       },
       {"News", "\xD4\xE8\xEB\xFC\xEC", "Sport"},
       {}},
  };
  for (const Case& c : cases) {
    h.platform.ClearCalls();
    c.act();
    EXPECT_EQ(Items(), c.items);
    EXPECT_EQ(h.BoxTexts(), c.boxes);
  }
  EXPECT_EQ(Form().ListBoxWords.ItemIndex(), 2);  // the added keyword is selected
  EXPECT_EQ(Probe(h.plugin).Settings().Words, Items());
  EXPECT_EQ(Probe(h.plugin).Settings().WordCount, 3);
  EXPECT_EQ(Probe(h.plugin).State().searchKeywordList, Items());
  EXPECT_EQ(Indices(), (std::vector<std::int32_t>{0, 1}));
}

// The settings file ends a keyword list at an empty or blank-led line, so such a
// keyword would keep the file from loading again: it is refused.
TEST_F(KeywordEditorTest, KeywordsTheSettingsFileCannotHoldAreRefused) {
  Open({"News"});
  for (const char* text : {" Film", "   ", "Film\r\nSport", "Film\n"}) {
    h.platform.ClearCalls();
    Type(text);
    Editor().AddKeyword();
    Type(text, 0);
    Editor().ModifyKeyword();
    EXPECT_EQ(Items(), Lines{"News"}) << text;
    EXPECT_EQ(h.BoxTexts().size(), 2u) << text;
  }
}

TEST_F(KeywordEditorTest, ModifyAndDeleteKeepTheIndicesAndTheSelection) {
  Open({"A", "B", "C", "D"});
  Type("B2", 1);
  Editor().ModifyKeyword();
  EXPECT_EQ(Indices(), (std::vector<std::int32_t>{0, -1, 2, 3}));
  EXPECT_EQ(Form().ListBoxWords.ItemIndex(), 1);
  struct Case {
    int selected;
    Lines items;
    int selectedAfter;
    std::vector<std::int32_t> indices;
  };
  const Case cases[] = {
      {2, {"A", "B2", "D"}, 2, {0, -1, -1, 2}},  // from the middle: the next moves in
      {2, {"A", "B2"}, 1, {0, -1, -1, -1}},      // the last: the new last
      {0, {"B2"}, -1, {-1, -1, -1, -1}},         // the first: none
      {-1, {"B2"}, -1, {-1, -1, -1, -1}},        // none selected: nothing
  };
  for (const Case& c : cases) {
    Form().ListBoxWords.SetItemIndex(c.selected);
    Editor().ListBoxWordsKeyPress('\r');  // Enter deletes
    EXPECT_EQ(Items(), c.items);
    EXPECT_EQ(Form().ListBoxWords.ItemIndex(), c.selectedAfter);
    EXPECT_EQ(Indices(), c.indices);
    EXPECT_EQ(Probe(h.plugin).State().searchKeywordList, c.items);
  }
  Form().ListBoxWords.SetItemIndex(0);
  Editor().DeleteKeyword();
  EXPECT_EQ(Form().ListBoxWords.Hint, "Keywords");
}

TEST_F(KeywordEditorTest, SortingCarriesTheSelectionAndTheIndices) {
  Open({"delta", "Alpha", "charlie", "bravo", "ALPHA2"});
  Form().ListBoxWords.SetItemIndex(2);  // charlie
  Editor().Sortlist1Click();
  EXPECT_EQ(Items(), (Lines{"Alpha", "ALPHA2", "bravo", "charlie", "delta"}));
  EXPECT_EQ(Form().ListBoxWords.ItemIndex(), 3);
  EXPECT_EQ(Indices(), (std::vector<std::int32_t>{4, 0, 3, 2, 1}));
  EXPECT_EQ(Probe(h.plugin).Settings().Words, Items());
}

TEST_F(KeywordEditorTest, ClickShowsTheKeywordAndItsNumber) {
  Open({"News", "Film"});
  Form().ListBoxWords.SetItemIndex(-1);
  Form().EditFindStr.Text = "typed";
  Editor().ListBoxWordsClick();  // nothing selected: nothing changes
  EXPECT_EQ(Form().EditFindStr.Text, "typed");
  Form().ListBoxWords.SetItemIndex(1);
  Editor().ListBoxWordsClick();
  EXPECT_EQ(Form().EditFindStr.Text, "Film");
  EXPECT_EQ(Form().ListBoxWords.Hint, "Keyword: 2");
}

TEST_F(KeywordEditorTest, EnterJoinsAtTheCaretAndCtrlEnterLooksUpSimilarKeywords) {
  Open({"Football", "News", "Footbal league", "Weather"});
  Edit& edit = Form().EditFindStr;
  edit.Text = "ab";
  edit.SelStart = 1;
  Editor().EditFindStrKeyPress('\r');
  EXPECT_EQ(edit.Text, "a&b");
  EXPECT_EQ(edit.SelStart, 2);
  edit.SelStart = 3;
  Editor().EditFindStrKeyPress('\r');
  EXPECT_EQ(edit.Text, "a&b&");

  edit.Text = "football";
  auto walk = [&](int presses) {
    std::vector<int> found;
    for (int i = 0; i < presses; ++i) {
      Editor().EditFindStrKeyPress('\n');
      found.push_back(Form().ListBoxWords.ItemIndex());
    }
    return found;
  };
  // Football, then "Footbal league" (7 of 8 letters: 88 > 86); a fruitless pass to
  // the end finds nothing, and the next press starts at the top.
  EXPECT_EQ(walk(4), (std::vector<int>{0, 2, 2, 0}));
  // After a match on the last keyword, the next press starts at the top as well.
  Form().ListBoxWords.SetItems({"Footballs", "Football", "Footbal league"});
  Editor().Sortlist1Click();  // sets the lookup back to the top
  ASSERT_EQ(Items(), (Lines{"Footbal league", "Football", "Footballs"}));
  EXPECT_EQ(walk(4), (std::vector<int>{0, 1, 2, 0}));
  // A rating equal to the rate is not above it: "Footbal league" rates 88.
  Probe(h.plugin).State().settings.CongenialityRate = 88;
  Form().ListBoxWords.SetItems({"Footbal league"});
  Form().ListBoxWords.SetItemIndex(-1);
  Editor().Sortlist1Click();
  EXPECT_EQ(walk(1), std::vector<int>{-1});
}

TEST_F(KeywordEditorTest, ClearAndLoadLeaveNoResultPointingIntoTheNewList) {
  Open({"A", "B"});
  Editor().Clear1Click();
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Form().ListBoxWords.Hint, "Keywords");
  EXPECT_EQ(Indices(), (std::vector<std::int32_t>{-1, -1}));

  Open({"A", "B"});
  const std::string file = h.folder.Path("words.txt");
  ASSERT_TRUE(WriteFileAtomic(file, std::string("Sport\r\n  Film\n\nNe\0ws\r   \rLast", 29)));
  h.platform.QueueDialogAnswer(file);
  Editor().Load1Click();
  // Blank-led lines lose their blanks, empty ones are skipped, NUL bytes dropped.
  EXPECT_EQ(Items(), (Lines{"Sport", "Film", "News", "Last"}));
  EXPECT_EQ(Indices(), (std::vector<std::int32_t>{-1, -1}));
  EXPECT_EQ(Probe(h.plugin).Settings().Words, Items());
}

TEST_F(KeywordEditorTest, SaveAndLoadTheList) {
  Open({"News", "Film & Night"});
  struct Case {
    std::string chosen, written;
  };
  for (const Case& c : {Case{"a.lst", "a.lst"}, Case{"b", "b.txt"}, Case{"c.text", "c.text.txt"}}) {
    h.platform.QueueDialogAnswer(h.folder.Path(c.chosen));
    Editor().Save1Click();
    EXPECT_EQ(ReadWholeFile(h.folder.Path(c.written)), "News\r\nFilm & Night\r\n") << c.chosen;
  }
  Editor().Clear1Click();
  h.platform.QueueDialogAnswer(h.folder.Path("a.lst"));
  Editor().Load1Click();
  EXPECT_EQ(Items(), (Lines{"News", "Film & Night"}));
}

TEST_F(KeywordEditorTest, FilesThatCannotBeReadOrWrittenAreReported) {
  Open({"News"});
  h.platform.QueueDialogAnswer(h.folder.Path("missing.txt"));
  Editor().Load1Click();
  EXPECT_EQ(Items(), Lines{"News"});
  h.platform.QueueDialogAnswer(h.folder.Path("no-such-folder/k.txt"));
  Editor().Save1Click();
  // Each names the file, then the system's own words for the cause.
  const Lines boxes = h.BoxTexts();
  const Lines starts{
      "The keywords could not be read from " + h.folder.Path("missing.txt") + ": ",
      "The keywords could not be saved to " + h.folder.Path("no-such-folder/k.txt") + ": "};
  ASSERT_EQ(boxes.size(), starts.size());
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].rfind(starts[i], 0), 0u) << boxes[i];
    EXPECT_GT(boxes[i].size(), starts[i].size() + 8) << boxes[i];  // the cause, then padding
  }
#ifndef _WIN32
  // A read-only folder: the file the user had stays whole.
  const std::string kept = h.folder.Path("ro/k.txt");
  ASSERT_EQ(mkdir(ToNativePath(h.folder.Path("ro")).c_str(), 0755), 0);
  ASSERT_TRUE(WriteFileAtomic(kept, "Old\r\n"));
  chmod(ToNativePath(h.folder.Path("ro")).c_str(), 0555);
  if (getuid() != 0) {  // root writes anywhere
    h.platform.QueueDialogAnswer(kept);
    Editor().Save1Click();
    EXPECT_EQ(ReadWholeFile(kept), "Old\r\n");
    EXPECT_EQ(h.BoxTexts().size(), 3u);
  }
  chmod(ToNativePath(h.folder.Path("ro")).c_str(), 0755);
#endif
}

// Random edits on a list whose results come from real search runs, some made while
// a run is still publishing: at every step each result's keyword index names the
// keyword that found it, or is -1 once that keyword was modified, deleted, cleared
// or replaced by a load. Keywords are followed by identity, as a load may repeat
// texts.
TEST(KeywordIndexPropertyTest, IndicesFollowEveryEditAndEveryRun) {
  PluginHarness h;
  h.WriteGuide(12, 1, 10);
  h.settings.FullSearch = true;
  const Lines vocabulary = {"News",  "Weather",  "Film", "Night", "Morning",         "Show",
                            "Sport", "Football", "news", "FILM",  "Sport&!Football", "Show@50"};
  h.settings.Words = {"News", "Film"};
  h.settings.WordCount = 2;
  h.Open();
  ASSERT_TRUE(h.WaitIdle());

  std::mt19937 random(11);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  FormPref& form = h.plugin.Form();
  KeywordEditor& editor = Probe(h.plugin).Keywords();
  // The model: an identity per keyword of the list, and the run's list at its launch.
  std::vector<int> ids = {0, 1};
  int nextId = 2;
  struct Run {
    Lines texts;
    std::vector<int> ids;
  } run{Probe(h.plugin).Settings().Words, ids};

  // Until a new run takes them, the results are those of the run before it.
  Run previous = run;
  // Whether every result agrees with what run r found; why not, if not.
  auto agrees = [&](const Run& r, const TFindStruct& results) -> std::string {
    const TWRD parsed = ParseKeywords(r.texts, {kFindUpperCase, 86}, nullptr);
    for (const FoundProgramme& result : results) {
      TFindStruct one;
      if (!MatchProgramme(one, result.line.Text(), result.start, parsed, false))
        return result.line.Text();
      const int id = r.ids[static_cast<std::size_t>(one[0].keywordIndex)];
      auto at = std::find(ids.begin(), ids.end(), id);
      const auto expected = at == ids.end() ? -1 : static_cast<std::int32_t>(at - ids.begin());
      if (result.keywordIndex != expected) return result.line.Text();
    }
    return {};
  };
  auto check = [&](int step) {
    const TFindStruct results = Probe(h.plugin).Results();
    const std::string now = agrees(run, results);
    EXPECT_TRUE(now.empty() || agrees(previous, results).empty()) << "step " << step << ": " << now;
    return now.empty() || agrees(previous, results).empty();
  };

  for (int step = 0; step < 400; ++step) {
    ListBox& list = form.ListBoxWords;
    const int n = list.Count();
    switch (pick(8)) {
      case 0:
      case 1:
        form.EditFindStr.Text = vocabulary[static_cast<std::size_t>(pick(12))];
        editor.AddKeyword();
        if (list.Count() > n) ids.push_back(nextId++);
        break;
      case 2:
        if (n == 0) break;
        list.SetItemIndex(pick(n));
        form.EditFindStr.Text = vocabulary[static_cast<std::size_t>(pick(12))];
        {
          const std::string before = list.CurrentText();
          editor.ModifyKeyword();
          if (list.CurrentText() != before)
            ids[static_cast<std::size_t>(list.ItemIndex())] = nextId++;
        }
        break;
      case 3:
        if (n == 0) break;
        list.SetItemIndex(pick(n));
        ids.erase(ids.begin() + list.ItemIndex());
        editor.DeleteKeyword();
        break;
      case 4: {
        // The same exchanges on the model, by the literal repeated maximum.
        std::vector<std::pair<std::string, int>> model;
        for (int i = 0; i < n; ++i)
          model.push_back({UpperCase(list.Items()[static_cast<std::size_t>(i)]),
                           ids[static_cast<std::size_t>(i)]});
        for (int last = n - 1; last > 0; --last) {
          int m = 0;
          for (int i = 1; i <= last; ++i) {
            if (model[static_cast<std::size_t>(i)].first > model[static_cast<std::size_t>(m)].first)
              m = i;
          }
          std::swap(model[static_cast<std::size_t>(m)], model[static_cast<std::size_t>(last)]);
        }
        for (int i = 0; i < n; ++i)
          ids[static_cast<std::size_t>(i)] = model[static_cast<std::size_t>(i)].second;
        editor.Sortlist1Click();
        break;
      }
      case 5:
        if (pick(3) == 0) {
          editor.Clear1Click();
          ids.clear();
        } else {
          std::string text;
          for (int i = pick(5); i > 0; --i)
            text += vocabulary[static_cast<std::size_t>(pick(12))] + "\r\n";
          const std::string file = h.folder.Path("load.txt");
          ASSERT_TRUE(WriteFileAtomic(file, text));
          h.platform.QueueDialogAnswer(file);
          editor.Load1Click();
          ids.clear();
          for (int i = 0; i < list.Count(); ++i) ids.push_back(nextId++);
        }
        break;
      default:
        if (!Probe(h.plugin).Search().Running()) {
          Probe(h.plugin).ResultList().SearchAllKeywords();
          previous = run;
          run = {Probe(h.plugin).LastSearchArgs().keywords, ids};
        }
        break;
    }
    ASSERT_EQ(static_cast<int>(ids.size()), list.Count());
    h.platform.RunPosted();  // now and then part of a run is published meanwhile
    ASSERT_TRUE(check(step));
  }
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_TRUE(check(-1));
}

}  // namespace
}  // namespace kolvar
