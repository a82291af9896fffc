#include "update/UpdateViewQueue.h"

#include "support/DrainingUiThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "RecordingView.h"

namespace {
using testsupport::RecordingView;

std::string P(const std::string& percent, int position, bool downloading = true) {
    return RecordingView::Progress("", percent, position, downloading);
}

TEST(UpdateViewQueue, ProgressCollapsesToTheLatestAndEverythingElseKeepsItsOrder) {
    UpdateViewQueue queue;
    int wakes = 0;
    QueuedUpdateView view(queue, [&] { ++wakes; });
    view.InitWebBrower();
    for (int n = 0; n <= 100; n += 10) {
        view.UpdateProgress("", std::to_string(n) + "%", n, true);
        view.ShowProgressView();
    }
    view.UpdateProgress("更新失败,请检查网络,ErrorCode:104", "", 0, false);
    view.ShowStatusView();
    // Extraction progress is a new stage: it does not swallow the last download report.
    view.UpdateProgress("", "1/2", 50, false);
    view.ShowProgressView();
    view.UpdateProgress("", "2/2", 100, false);
    view.ShowProgressView();
    view.UpdateProgress("更新已完成", "", 0, false);
    view.ShowStatusView();
    view.SetReady();
    EXPECT_EQ(wakes, 1) << "one wake-up for the whole batch";

    RecordingView ui;
    queue.Drain(ui);
    EXPECT_EQ(ui.Calls(),
              (std::vector<std::string>{
                  "InitWebBrower",
                  P("100%", 100),
                  "ShowProgressView",
                  RecordingView::Progress("更新失败,请检查网络,ErrorCode:104", "", 0, false),
                  "ShowStatusView",
                  P("2/2", 100, false),
                  "ShowProgressView",
                  RecordingView::Progress("更新已完成", "", 0, false),
                  "ShowStatusView",
                  "SetReady",
              }));
}

TEST(UpdateViewQueue, StagesAreNotMergedAndANewBatchWakesAgain) {
    UpdateViewQueue queue;
    int wakes = 0;
    QueuedUpdateView view(queue, [&] { ++wakes; });
    view.UpdateProgress("", "100%", 100, true);
    view.ShowProgressView();
    view.UpdateProgress("", "1/3", 33, false);
    view.ShowProgressView();
    RecordingView ui;
    queue.Drain(ui);
    EXPECT_EQ(ui.Calls().size(), 4u);
    EXPECT_EQ(queue.Pending(), 0u);
    view.UpdateProgress("", "2/3", 66, false);
    EXPECT_EQ(wakes, 2);
}

TEST(UpdateViewQueue, AReportThatShowsNothingNewIsDroppedEvenAfterADrain) {
    UpdateViewQueue queue;
    int wakes = 0;
    QueuedUpdateView view(queue, [&] { ++wakes; });
    RecordingView ui;
    view.UpdateProgress("", "5%", 5, true);
    view.ShowProgressView();
    queue.Drain(ui);
    view.UpdateProgress("", "5%", 5, true);
    view.ShowProgressView();
    EXPECT_EQ(queue.Pending(), 0u);
    EXPECT_EQ(wakes, 1);
    view.UpdateProgress("", "6%", 6, true);
    view.ShowProgressView();
    // After another call the same report is news again.
    view.UpdateProgress("更新失败,请检查网络,ErrorCode:104", "", 0, false);
    view.ShowStatusView();
    view.UpdateProgress("", "6%", 6, true);
    view.ShowProgressView();
    queue.Drain(ui);
    EXPECT_EQ(ui.Calls(),
              (std::vector<std::string>{
                  P("5%", 5), "ShowProgressView", P("6%", 6), "ShowProgressView",
                  RecordingView::Progress("更新失败,请检查网络,ErrorCode:104", "", 0, false),
                  "ShowStatusView", P("6%", 6), "ShowProgressView"}));
    EXPECT_EQ(wakes, 2);
}

TEST(UpdateViewQueue, DetachDropsQueuedAndLaterCalls) {
    UpdateViewQueue queue;
    int wakes = 0;
    QueuedUpdateView view(queue, [&] { ++wakes; });
    view.InitWebBrower();
    queue.Detach();
    view.SetReady();
    RecordingView ui;
    queue.Drain(ui);
    EXPECT_TRUE(ui.Calls().empty());
    EXPECT_TRUE(queue.Detached());
    EXPECT_EQ(wakes, 1);
}

// A driver thread reporting as fast as it can and a UI thread draining on each wake-up: every
// call that is not a progress report arrives once and in order, and the last report wins.
TEST(UpdateViewQueue, HandsOverBetweenThreads) {
    constexpr int kReports = 20000;
    RecordingView ui;
    {
        testsupport::DrainingUiThread uiThread(ui);
        IUpdateView& view = uiThread.View();
        for (int n = 1; n <= kReports; ++n) {
            view.UpdateProgress("", std::to_string(n), n, true);
            view.ShowProgressView();
            if (n % 5000 == 0) {
                view.UpdateProgress("mark " + std::to_string(n), "", 0, false);
                view.ShowStatusView();
            }
        }
        view.SetReady();
    }

    const auto calls = ui.Calls();
    std::vector<std::string> marks;
    int lastPosition = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind("UpdateProgress(mark", 0) == 0) {
            marks.push_back(calls[i]);
            ASSERT_EQ(calls.at(i + 1), "ShowStatusView");
        } else if (calls[i].rfind("UpdateProgress(|", 0) == 0) {
            const int position = std::stoi(calls[i].substr(16));
            ASSERT_GT(position, lastPosition) << "progress never goes back";
            lastPosition = position;
            ASSERT_EQ(calls.at(i + 1), "ShowProgressView");
        }
    }
    EXPECT_EQ(marks.size(), 4u);
    EXPECT_EQ(lastPosition, kReports);
    EXPECT_EQ(calls.back(), "SetReady");
}

}  // namespace
