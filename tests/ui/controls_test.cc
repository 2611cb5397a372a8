#include "ui/controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/ui_probe.h"
#include "ui/form_pref.h"

namespace kolvar {
namespace {

TEST(SpinEditTest, ClampsAndRunsTheHandlerOnlyWhenTheShownValueChanges) {
  SpinEdit spin(1, 3, 1, 3);
  int changes = 0;
  spin.OnChange = [&] { ++changes; };
  spin.SetValue(5);  // clamps to 3, which is already shown
  EXPECT_EQ(spin.Value(), 3);
  EXPECT_EQ(changes, 0);
  spin.SetValue(0);  // clamps to 1: a change
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_EQ(changes, 1);
  spin.StepDown();
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_EQ(changes, 1);
  spin.StepUp();
  EXPECT_EQ(spin.Value(), 2);
  EXPECT_EQ(changes, 2);
}

TEST(SpinEditTest, StepsStayInsideTheRange) {
  SpinEdit shift(-1440, 1440, 30, 0);
  for (int i = 0; i < 100; ++i) shift.StepUp();
  EXPECT_EQ(shift.Value(), 1440);
  for (int i = 0; i < 200; ++i) shift.StepDown();
  EXPECT_EQ(shift.Value(), -1440);
  shift.SetValue(-1445);
  EXPECT_EQ(shift.Value(), -1440);
}

// The window redraws a list only when its version moved: every change of the
// lines or marks must move it, and nothing else may.
TEST(ListBoxTest, EveryChangeCountsAVersionAndOnlyChangesDo) {
  CheckListBox list;
  list.SetItems({"a", "b", "c"}, {true});
  struct Step {
    const char* what;
    std::function<void()> act;
    bool lines;
    bool marks;
  } steps[] = {
      {"add", [&] { list.Add("d", true); }, true, true},
      {"set item", [&] { list.SetItem(0, "A"); }, true, false},
      {"swap", [&] { list.SwapItems(0, 1); }, true, false},
      {"erase", [&] { list.ListBox::Erase(3); }, true, false},
      {"current item", [&] { list.SetItemIndex(1); }, false, false},
      {"check", [&] { list.SetChecked(1, true); }, false, true},
      {"check again", [&] { list.SetChecked(1, true); }, false, false},
      {"uncheck all", [&] { list.SetAllChecked(false); }, false, true},
      {"replace", [&] { list.SetItems({"x"}, {}); }, true, true},
      {"clear", [&] { list.Clear(); }, true, true},
  };
  for (const Step& step : steps) {
    const auto lines = list.Version();
    const auto marks = list.ChecksVersion();
    step.act();
    EXPECT_EQ(list.Version() != lines, step.lines) << step.what;
    EXPECT_EQ(list.ChecksVersion() != marks, step.marks) << step.what;
    EXPECT_EQ(list.CheckedCount(), static_cast<int>(std::count(list.CheckMarks().begin(),
                                                               list.CheckMarks().end(), true)))
        << step.what;
  }
  list.SetItems({"a", "b"}, {});
  list.SetItemIndex(1);
  list.SetItems({"a"}, {});
  EXPECT_EQ(list.ItemIndex(), -1);  // past the end: none
}

TEST(CheckBoxTest, ADifferentStateRunsTheClickHandlerLikeAUsersClick) {
  CheckBox box("Sorted", true);
  std::vector<bool> seen;
  box.OnClick = [&] { seen.push_back(box.Checked()); };
  box.SetChecked(true);
  EXPECT_TRUE(seen.empty());
  box.SetChecked(false);
  box.Click();
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
}

TEST(TimerTest, TicksOnlyWhenEnabledAndReportsChanges) {
  Timer timer(5000);
  int ticks = 0;
  int changes = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.OnChanged = [&] { ++changes; };
  timer.Tick();
  timer.SetEnabled(false);
  timer.Tick();
  timer.SetInterval(60000);
  timer.SetInterval(60000);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(timer.Interval(), 60000);
}

TEST(ListBoxTest, CurrentItemIsNoneWhenOutOfRange) {
  ListBox list;
  list.Add("a");
  list.Add("b");
  list.SetItemIndex(1);
  EXPECT_EQ(list.CurrentText(), "b");
  list.SetItemIndex(2);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.CurrentText(), "");
  list.SetItemIndex(0);
  list.Clear();
  EXPECT_EQ(list.ItemIndex(), -1);
}

// A source's lines, as a result list hands them over.
class Numbered final : public LineSource {
 public:
  std::size_t Size() const override { return 4; }
  std::string Line(std::size_t index) const override { return "line " + std::to_string(index); }
};

TEST(ListBoxTest, ALineSourceListsAsItsLinesGivenAsTextsWouldThroughEveryChange) {
  using Change = std::function<void(ListBox&)>;
  const std::vector<std::pair<const char*, Change>> changes = {
      {"none", [](ListBox&) {}},
      {"set item", [](ListBox& l) { l.SetItem(2, "two"); }},
      {"add", [](ListBox& l) { l.Add("more"); }},
      {"erase", [](ListBox& l) { l.Erase(1); }},
      {"swap", [](ListBox& l) { l.SwapItems(0, 3); }},
      {"clear", [](ListBox& l) { l.Clear(); }},
      {"texts", [](ListBox& l) { l.SetItems({"x"}); }},
  };
  for (const auto& [what, change] : changes) {
    ListBox sourced;
    ListBox texts;
    (void)sourced.ReplaceSource(std::make_shared<const Numbered>());
    texts.SetItems({"line 0", "line 1", "line 2", "line 3"});
    for (ListBox* list : {&sourced, &texts}) {
      list->SetMarks({false, true});
      list->SetItemIndex(1);
      change(*list);
    }
    EXPECT_EQ(sourced.Lines(), texts.Lines()) << what;
    EXPECT_EQ(sourced.Count(), texts.Count()) << what;
    EXPECT_EQ(sourced.CurrentText(), texts.CurrentText()) << what;
    for (int i = -1; i <= texts.Count(); ++i) {
      EXPECT_EQ(sourced.Item(i), texts.Item(i)) << what << i;
      EXPECT_EQ(sourced.IsMarked(i), texts.IsMarked(i)) << what << i;
    }
  }
}

TEST(CheckListBoxTest, CountsCheckMarks) {
  CheckListBox files;
  files.Add("a.ndx", true);
  files.Add("b.ndx");
  files.Add("c.ndx", true);
  EXPECT_EQ(files.CheckedCount(), 2);
  files.Clear();
  EXPECT_EQ(files.CheckedCount(), 0);
  EXPECT_EQ(files.Count(), 0);
}

TEST(FormPrefTest, ControlsStartWithTheirRangesAndDefaults) {
  FormPref form;
  EXPECT_EQ(form.EditFolderPath.Text, "C:\\TV\\");
  EXPECT_EQ(form.SpinEditSearchMod.Value(), 3);
  EXPECT_EQ(form.SpinEditSearchMod.Max(), 3);
  EXPECT_EQ(form.SpinEditIdentital.Value(), 86);
  EXPECT_EQ(form.SpinEditNotiseDelay.Min(), 1);
  EXPECT_EQ(form.SpinEditNotiseDelay.Max(), 5000);
  EXPECT_EQ(testing::UiProbe::Step(form.SpinEditTimeShift), 30);
  EXPECT_FALSE(form.SpinEditTimeShift.Enabled);
  EXPECT_TRUE(form.CheckBoxSorted.Checked());
  EXPECT_TRUE(form.CheckBoxRemind.Checked());
  EXPECT_EQ(form.CheckBoxRemind.Caption, "  Remind");
  EXPECT_FALSE(form.CheckBoxFullSearch.Checked());
  EXPECT_EQ(form.LabelNumberOfSelected.Caption, "144/888");
  EXPECT_EQ(form.ListBoxWords.Hint, "Keywords");
  EXPECT_EQ(form.TimerNiticer.Interval(), 5000);
  EXPECT_TRUE(form.TimerSearchUpdate.Enabled());
}

}  // namespace
}  // namespace kolvar
