// The request manager against a real loopback server that records what arrives.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <thread>

#include "net/FCHttpRequestManager.h"
#include "support/EventLoop.h"
#include "support/LoopbackServer.h"

namespace {

using namespace std::chrono_literals;
using testsupport::EventLoop;
using testsupport::HttpConnection;
using testsupport::HttpRequest;
using testsupport::LoopbackServer;

// What a callback saw of its request.
struct Seen {
    std::string kind;  // "headers", "complete" or "timeout"
    int taskId = 0;
    int statusCode = 0;
    std::int64_t contentLength = 0;
    std::string lastModified;
    std::string serverName;
    std::string body;
    std::int64_t bytesReceived = 0;
    bool readSucceeded = false;
    std::thread::id thread;
};

class RecordingManager : public FCHttpRequestManager {
  public:
    using FCHttpRequestManager::FCHttpRequestManager;
    ~RecordingManager() override { Shutdown(); }

    std::vector<Seen> Events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    std::vector<Seen> EventsOf(int taskId) const {
        std::vector<Seen> out;
        for (const Seen& s : Events()) {
            if (s.taskId == taskId) {
                out.push_back(s);
            }
        }
        return out;
    }
    // Whether the task has had its last callback.
    bool Ended(int taskId) const {
        const auto events = EventsOf(taskId);
        return !events.empty() && events.back().kind != "headers";
    }

  protected:
    void OnResponseHeaders(FCHttpRequest& r) override { Record("headers", r); }
    void OnResponseComplete(FCHttpRequest& r) override { Record("complete", r); }
    void OnRequestTimeout(FCHttpRequest& r) override { Record("timeout", r); }

  private:
    void Record(const char* kind, FCHttpRequest& r) {
        Seen s{kind,
               r.taskId,
               r.statusCode,
               r.contentLength,
               r.lastModified,
               r.serverName,
               r.body.Copy(),
               r.bytesReceived.load(),
               r.readSucceeded,
               std::this_thread::get_id()};
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(std::move(s));
    }

    mutable std::mutex m_mutex;
    std::vector<Seen> m_events;
};

RequestOptions Get(const std::string& url) {
    RequestOptions options;
    options.url = url;
    return options;
}

const HttpRequest* FindByTarget(const std::vector<HttpRequest>& requests,
                                const std::string& target) {
    for (const HttpRequest& r : requests) {
        if (r.target == target) {
            return &r;
        }
    }
    return nullptr;
}

TEST(FCHttpRequestManager, DeliversHeadersThenCompletionOnTheOwnersThread) {
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) {
        c.Respond(200, "hello",
                  "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT\r\nServer: loopback/1.0\r\n");
    });
    EventLoop loop;
    RecordingManager manager(loop);
    const int id = manager.AddRequest(Get(server.Url("/report?a=1&b=x%20y")));
    EXPECT_EQ(id, 100);
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(id); }, 10s));

    const auto events = manager.EventsOf(id);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, "headers");
    EXPECT_EQ(events[0].statusCode, 200);
    EXPECT_EQ(events[0].contentLength, 5);
    EXPECT_EQ(events[0].lastModified, "Wed, 21 Oct 2015 07:28:00 GMT");
    EXPECT_EQ(events[0].serverName, "loopback/1.0");
    EXPECT_EQ(events[1].kind, "complete");
    EXPECT_EQ(events[1].body, "hello");
    EXPECT_EQ(events[1].bytesReceived, 5);
    EXPECT_TRUE(events[1].readSucceeded);
    for (const Seen& s : events) {
        EXPECT_EQ(s.thread, std::this_thread::get_id()) << s.kind;
    }

    // The query is part of the path, and the port of the URL was used to get here at all.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/report?a=1&b=x%20y");
    EXPECT_EQ(requests[0].Header("user-agent"), DefaultUserAgent());
    EXPECT_EQ(requests[0].body, "");
}

TEST(FCHttpRequestManager, SendsVerbBodyHeadersAndRangeAsGiven) {
    struct Case {
        int verb;
        std::string body;
        std::int32_t rangeStart;
        std::string extraHeaders;
        const char* method;
        const char* range;  // expected Range header, "" for none
    };
    const Case cases[] = {
        {0, "", 0, "", "GET", ""},
        {1, "", 0, "", "POST", ""},  // no body at all, not an empty one
        {2, "k=v&x=1", 0, "X-One: 1\r\nX-Two: 2\r\n", "POST", ""},
        {3, "", 0, "", "DELETE", ""},
        {7, "", 0, "", "GET", ""},
        {0, "", 5000, "X-One: 1\r\n", "GET", "bytes=5000-"},
        {1, "{}", -1, "Content-Type: application/json\r\n", "POST", "bytes=-1-"},
    };
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "ok"); });
    EventLoop loop;
    RecordingManager manager(loop);
    std::vector<int> ids;
    for (size_t i = 0; i < std::size(cases); ++i) {
        RequestOptions options = Get(server.Url("/case" + std::to_string(i)));
        options.verb = cases[i].verb;
        options.postBody = cases[i].body;
        options.rangeStart = cases[i].rangeStart;
        options.extraHeaders = cases[i].extraHeaders;
        ids.push_back(manager.AddRequest(options));
    }
    ASSERT_TRUE(loop.RunUntil(
        [&] {
            return std::all_of(ids.begin(), ids.end(), [&](int id) { return manager.Ended(id); });
        },
        10s));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const HttpRequest* r = FindByTarget(requests, "/case" + std::to_string(i));
        ASSERT_NE(r, nullptr) << i;
        EXPECT_EQ(r->method, c.method) << i;
        EXPECT_EQ(r->body, c.body) << i;
        EXPECT_EQ(r->Header("content-length"), c.body.empty() ? "" : std::to_string(c.body.size()))
            << i;
        EXPECT_EQ(r->Header("range"), c.range) << i;
        EXPECT_EQ(r->Header("expect"), "") << i;
        // Only a content type the caller gave; none of the HTTP library's own.
        const bool typed = c.extraHeaders.find("Content-Type") != std::string::npos;
        EXPECT_EQ(r->Header("content-type"), typed ? "application/json" : "") << i;
        if (c.extraHeaders.find("X-One") != std::string::npos) {
            EXPECT_EQ(r->Header("x-one"), "1") << i;
            const size_t one = r->rawHead.find("X-One: 1\r\n");
            EXPECT_NE(one, std::string::npos) << i;
            if (*c.range != '\0') {
                EXPECT_LT(one, r->rawHead.find("Range: ")) << "range after the extra headers";
            }
        }
        EXPECT_TRUE(manager.EventsOf(ids[i]).back().readSucceeded) << i;
    }
    EXPECT_EQ(FindByTarget(requests, "/case2")->Header("x-two"), "2");
}

TEST(FCHttpRequestManager, AFailedRequestStillCompletesWithStatusZeroAndNoBody) {
    const std::string urls[] = {
        "http://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()) + "/x",
        "not a url",
        "ftp://127.0.0.1/file",
    };
    EventLoop loop;
    RecordingManager manager(loop);
    for (const std::string& url : urls) {
        const int id = manager.AddRequest(Get(url));
        ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(id); }, 10s)) << url;
        const auto events = manager.EventsOf(id);
        ASSERT_EQ(events.size(), 2u) << url;
        EXPECT_EQ(events[0].kind, "headers") << url;
        EXPECT_EQ(events[0].statusCode, 0) << url;
        EXPECT_EQ(events[1].kind, "complete") << url;
        EXPECT_EQ(events[1].statusCode, 0) << url;
        EXPECT_EQ(events[1].body, "") << url;
        EXPECT_FALSE(events[1].readSucceeded) << url;
    }
}

TEST(FCHttpRequestManager, ACutBodyCompletesAsAFailedRead) {
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) {
        c.Send("HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\n\r\npartial");
    });
    EventLoop loop;
    RecordingManager manager(loop);
    const int id = manager.AddRequest(Get(server.Url("/cut")));
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(id); }, 10s));
    const auto events = manager.EventsOf(id);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].statusCode, 404);
    EXPECT_EQ(events[1].contentLength, 100);
    EXPECT_EQ(events[1].body, "partial");
    EXPECT_FALSE(events[1].readSucceeded);
}

TEST(FCHttpRequestManager, FollowsARedirectAndReportsOnlyTheFinalResponse) {
    LoopbackServer server([](const HttpRequest& r, HttpConnection& c) {
        if (r.target == "/old") {
            c.Respond(302, "moved", "Location: /new\r\nServer: old\r\n");
        } else {
            c.Respond(200, "final", "Server: new\r\n");
        }
    });
    EventLoop loop;
    RecordingManager manager(loop);
    const int id = manager.AddRequest(Get(server.Url("/old")));
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(id); }, 10s));
    const auto events = manager.EventsOf(id);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].statusCode, 200);
    EXPECT_EQ(events[0].serverName, "new");
    EXPECT_EQ(events[1].body, "final");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(FCHttpRequestManager, SendsThroughTheGivenProxyWithItsCredentials) {
    LoopbackServer proxy([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "via"); });
    EventLoop loop;
    RecordingManager manager(loop);
    RequestOptions options = Get("http://reports.invalid/api/x?y=1");
    options.proxyHost = "127.0.0.1";
    options.proxyPort = proxy.Port();
    options.proxyUser = "user";
    options.proxyPassword = "p@ss";
    const int id = manager.AddRequest(options);
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(id); }, 10s));
    EXPECT_EQ(manager.EventsOf(id).back().body, "via");
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "http://reports.invalid/api/x?y=1");
    EXPECT_EQ(requests[0].Header("proxy-authorization"), "Basic dXNlcjpwQHNz");  // user:p@ss
}

TEST(FCHttpRequestManager, ATimeOutAbandonsTheRequestAndNothingFollowsIt) {
    std::promise<bool> stalledClosed;
    LoopbackServer server([&](const HttpRequest& r, HttpConnection& c) {
        if (r.target == "/stall") {
            // Headers and the first bytes of a body that never ends.
            c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
            stalledClosed.set_value(c.WaitForPeerClose(10s));
        } else {
            c.Respond(200, "after");
        }
    });
    EventLoop loop;
    RecordingManager manager(loop);
    RequestOptions options = Get(server.Url("/stall"));
    options.timeoutMs = 300;
    const int stalled = manager.AddRequest(options);
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(stalled); }, 10s));
    const auto events = manager.EventsOf(stalled);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, "headers");
    EXPECT_EQ(events[0].contentLength, 100);
    EXPECT_EQ(events[1].kind, "timeout");
    EXPECT_EQ(events[1].body, "0123456789");

    // The transfer was given up, not left open.
    auto closed = stalledClosed.get_future();
    ASSERT_EQ(closed.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(closed.get());

    // A request with a time-out that finishes first just completes.
    options = Get(server.Url("/after"));
    options.timeoutMs = 5000;
    const int after = manager.AddRequest(options);
    ASSERT_TRUE(loop.RunUntil([&] { return manager.Ended(after); }, 10s));
    EXPECT_EQ(manager.EventsOf(after).back().kind, "complete");
    EXPECT_EQ(manager.EventsOf(stalled).size(), 2u) << "an event after the time-out";
}

TEST(FCHttpRequestManager, TaskIdsAreUniqueAndEveryRequestArrivesOnceFromTwoThreads) {
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "ok"); });
    EventLoop loop;
    RecordingManager manager(loop);
    EXPECT_EQ(manager.AddRequest(Get(server.Url("/seq/0"))), 100);
    EXPECT_EQ(manager.AddRequest(Get(server.Url("/seq/1"))), 101);
    EXPECT_EQ(manager.AddRequest(Get(server.Url("/seq/2"))), 102);

    constexpr int kPerThread = 15;
    std::vector<int> idsA;
    std::vector<int> idsB;
    const auto add = [&](const char* name, std::vector<int>& ids) {
        for (int i = 0; i < kPerThread; ++i) {
            ids.push_back(manager.AddRequest(
                Get(server.Url(std::string("/") + name + "/" + std::to_string(i)))));
        }
    };
    std::thread a(add, "a", std::ref(idsA));
    std::thread b(add, "b", std::ref(idsB));
    a.join();
    b.join();

    std::vector<int> all = idsA;
    all.insert(all.end(), idsB.begin(), idsB.end());
    std::sort(all.begin(), all.end());
    for (int i = 0; i < 2 * kPerThread; ++i) {
        EXPECT_EQ(all[static_cast<size_t>(i)], 103 + i);
    }
    ASSERT_TRUE(loop.RunUntil(
        [&] {
            return std::all_of(all.begin(), all.end(), [&](int id) { return manager.Ended(id); });
        },
        20s));
    manager.Shutdown();

    const auto requests = server.Requests();
    EXPECT_EQ(requests.size(), 3u + 2 * kPerThread);
    for (const char* name : {"a", "b"}) {
        for (int i = 0; i < kPerThread; ++i) {
            const std::string target = std::string("/") + name + "/" + std::to_string(i);
            EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                                    [&](const HttpRequest& r) { return r.target == target; }),
                      1)
                << target;
        }
    }
}

TEST(FCHttpRequestManager, WithoutALoopCallbacksRunOnTheWorkerAndRequestsAreFreed) {
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "ok"); });
    RecordingManager manager;  // no dispatcher: the uninstall command's situation
    for (int i = 0; i < 5; ++i) {
        manager.AddRequest(Get(server.Url("/n" + std::to_string(i))));
    }
    ASSERT_TRUE(manager.WaitUntilIdle(10s));
    const auto events = manager.Events();
    EXPECT_EQ(events.size(), 10u);
    for (const Seen& s : events) {
        EXPECT_NE(s.thread, std::this_thread::get_id());
    }
}

TEST(FCHttpRequestManager, EventsStillQueuedWhenTheManagerGoesAreDropped) {
    LoopbackServer server([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "ok"); });
    EventLoop loop;
    auto manager = std::make_unique<RecordingManager>(loop);
    manager->AddRequest(Get(server.Url("/late")));
    ASSERT_TRUE(loop.WaitUntilQueued(2, 10s));  // headers and completion, not yet delivered
    manager.reset();
    EXPECT_EQ(loop.RunPending(), 2u);  // runs them against a manager that is gone: no effect
}

}  // namespace
