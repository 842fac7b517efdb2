#include "services/HttpClient.h"

#include "support/EventLoopWait.h"
#include "support/HttpTestServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace services;
using testsupport::HttpAnswer;
using testsupport::HttpTestServer;

namespace {

class HttpClientTest : public ::testing::Test
{
protected:
    HttpTestServer server;
    THttpClient client;
    std::optional<HttpOutcome> outcome;
    int finishedCount = 0;
    QList<int> percents;

    void SetUp() override
    {
        client.setTimeOut(5000);
        QObject::connect(&client, &THttpClient::finished, [this](HttpOutcome o) {
            outcome = o;
            ++finishedCount;
        });
        QObject::connect(&client, &THttpClient::progress, [this](int p) { percents << p; });
    }

    HttpOutcome wait()
    {
        EXPECT_TRUE(testsupport::waitUntil([this] { return outcome.has_value(); }, 10000));
        return outcome.value_or(HttpOutcome::Aborted);
    }
};

} // namespace

TEST_F(HttpClientTest, GetOutcomes)
{
    const QByteArray big(5000, 'x');
    HttpAnswer truncated{200, "0123456789"};
    truncated.announcedLength = 100;
    HttpAnswer unannounced{200, "until the end"};
    unannounced.announcedLength = -2;
    server.answer("/ok", "hello");
    server.answer("/big", big);
    server.answer("/truncated", truncated);
    server.answer("/unannounced", unannounced);
    server.answer("/error", HttpAnswer{500, "boom"});
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/x").arg(HttpTestServer::closedPort()));

    const struct { QUrl url; qint64 limit; HttpOutcome outcome; QByteArray body; } cases[] = {
        {server.url("/ok"), 100, HttpOutcome::Done, "hello"},
        {server.url("/ok"), 5, HttpOutcome::Done, "hello"},
        {server.url("/big"), 4999, HttpOutcome::TooLarge, {}},
        {server.url("/missing"), 100, HttpOutcome::HttpError, {}},
        {server.url("/error"), 100, HttpOutcome::HttpError, {}},
        {server.url("/truncated"), 1000, HttpOutcome::Truncated, {}},
        {server.url("/unannounced"), 1000, HttpOutcome::Done, "until the end"},
        {refused, 100, HttpOutcome::HostUnreachable, {}},
        {QUrl(QStringLiteral("ftp://127.0.0.1/x")), 100, HttpOutcome::HostUnreachable, {}},
        {QUrl(), 100, HttpOutcome::HostUnreachable, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toString().toStdString());
        outcome.reset();
        ASSERT_TRUE(client.Get(c.url, c.limit));
        EXPECT_TRUE(client.Busy());
        EXPECT_EQ(wait(), c.outcome) << HttpOutcomeName(*outcome);
        EXPECT_FALSE(client.Busy());
        if (c.outcome == HttpOutcome::Done) {
            EXPECT_EQ(client.body(), c.body);
        }
    }
}

TEST_F(HttpClientTest, ASilentServerTimesOut)
{
    HttpAnswer silent;
    silent.silent = true;
    server.answer("/silent", silent);
    HttpAnswer stalls{200, QByteArray(1000, 'y')};
    stalls.stallAfter = 10;
    server.answer("/stalls", stalls);
    client.setTimeOut(200);
    for (const char *path : {"/silent", "/stalls"}) {
        outcome.reset();
        ASSERT_TRUE(client.Get(server.url(path), 100000));
        EXPECT_EQ(wait(), HttpOutcome::TimeOut) << path;
    }
}

TEST_F(HttpClientTest, OneRequestAtATime)
{
    HttpAnswer silent;
    silent.silent = true;
    server.answer("/silent", silent);
    ASSERT_TRUE(client.Get(server.url("/silent"), 100));
    EXPECT_FALSE(client.Get(server.url("/other"), 100));
    EXPECT_FALSE(client.Post(server.url("/other"), "a=b", 100));
    // Abort reports at once.
    client.Abort();
    EXPECT_EQ(outcome, HttpOutcome::Aborted);
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(server.requestCount("/other"), 0);
    EXPECT_EQ(finishedCount, 1);
}

TEST_F(HttpClientTest, AbortWinsOverAFailureNotYetReported)
{
    ASSERT_TRUE(client.Get(QUrl(QStringLiteral("ftp://127.0.0.1/x")), 100));
    EXPECT_TRUE(client.Busy());
    client.Abort();
    EXPECT_EQ(outcome, HttpOutcome::Aborted);
    testsupport::drainEvents();
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(outcome, HttpOutcome::Aborted);
}

TEST_F(HttpClientTest, GetToFileWritesTheBodyWithProgress)
{
    QTemporaryDir dir;
    QByteArray data;
    for (int i = 0; i < 200000; ++i)
        data += char(i * 7);
    HttpAnswer unannounced{200, data};
    unannounced.announcedLength = -2;
    server.answer("/file", data);
    server.answer("/unannounced", unannounced);
    for (const char *path : {"/file", "/unannounced"}) {
        SCOPED_TRACE(path);
        outcome.reset();
        percents.clear();
        const QString target = dir.filePath(QStringLiteral("out.bin"));
        {
            QFile old(target);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(300000, 'o')); // emptied first
        }
        ASSERT_TRUE(client.GetToFile(server.url(path), target, data.size(), data.size()));
        EXPECT_EQ(wait(), HttpOutcome::Done);
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == data);
        EXPECT_TRUE(client.body().isEmpty());
        ASSERT_FALSE(percents.isEmpty());
        EXPECT_EQ(percents.last(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    }
}

TEST_F(HttpClientTest, GetToFileIntoAMissingFolderFails)
{
    QTemporaryDir dir;
    server.answer("/file", "abc");
    ASSERT_TRUE(client.GetToFile(server.url("/file"), dir.filePath(QStringLiteral("no/such/folder/f")), 10));
    EXPECT_EQ(wait(), HttpOutcome::WriteFailed);
    EXPECT_EQ(server.requestCount("/file"), 0);
}

TEST_F(HttpClientTest, PostSendsTheFormAsItIs)
{
    server.answer("/feedback/addinfo.asp", "ok");
    const QByteArray form = "user=vexlo&text=a%26nbsp%3Bb&title=%B2%FA+2";
    ASSERT_TRUE(client.Post(server.url("/feedback/addinfo.asp"), form, 1000));
    EXPECT_EQ(wait(), HttpOutcome::Done);
    ASSERT_EQ(server.requests().size(), 1);
    const testsupport::HttpRequestRecord &r = server.requests().first();
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/feedback/addinfo.asp");
    EXPECT_EQ(r.body, form);
    EXPECT_EQ(r.headers.value("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.headers.value("user-agent"), THttpClient::UserAgent);
    EXPECT_EQ(client.body(), "ok");
    EXPECT_EQ(client.status(), 200);
}
