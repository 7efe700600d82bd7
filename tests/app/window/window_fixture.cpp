#include "window_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextFragment>

#include "app/main_frame.h"
#include "app/url_opener.h"
#include "app/view/ravel_view.h"
#include "htmlbox/message_call.h"
#include "recovery/job_control.h"
#include "support/package_builder.h"

void WindowTest::SetUp() {
    m_tmp = std::make_unique<PrivateTempDir>();
    ASSERT_TRUE(m_tmp->IsValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_tmp->Path("config"));
    SetMessageAnswerHook([this](const QString& text, int style) {
        m_messages.push_back({text, style});
        if ((style & 0x0F) == 4) {  // Yes and No
            if (m_answers.empty()) return 7;
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return 1;
    });
    SetUrlOpenerForTests([this](const QUrl& url) {
        m_opened.push_back(url);
        return true;
    });
    InstallFileDialogAnswer();
    CRavelView::SetFolderBrowserAnswer([]() -> std::optional<QString> { return std::nullopt; });
}

void WindowTest::InstallFileDialogAnswer() {
    CRavelView::SetFileDialogAnswer([this]() -> std::optional<QStringList> {
        ++m_fileDialogRuns;
        if (m_nextSelection.isEmpty()) return std::nullopt;
        return m_nextSelection;
    });
}

void WindowTest::TearDown() {
    if (m_view && m_view->IsWorkerAlive()) {
        // Never leave a worker behind a destroyed window.
        QSignalSpy ended(m_view, &CRavelView::jobFinished);
        ended.wait(20000);
    }
    m_frame.reset();
    m_view = nullptr;
    SetMessageAnswerHook({});
    SetUrlOpenerForTests({});
    CRavelView::SetFileDialogAnswer({});
    CRavelView::SetFolderBrowserAnswer({});
    m_tmp.reset();
}

void WindowTest::CreateWindow(const QSize& viewSize) {
    m_frame.reset();
    m_frame = std::make_unique<CMainFrame>();
    m_view = m_frame->GetView();
    ASSERT_NE(m_view, nullptr);
    m_frame->show();
    ResizeView(viewSize);
}

void WindowTest::ResizeView(const QSize& viewSize) {
    // The view is the frame's whole work area: grow the frame by the difference.
    for (int attempt = 0; attempt < 3 && m_view->size() != viewSize; ++attempt) {
        const QSize extra = m_frame->size() - m_view->size();
        m_frame->resize(viewSize + extra);
        QApplication::processEvents();
    }
    ASSERT_EQ(m_view->size(), viewSize);
}

void WindowTest::SelectFiles(const QStringList& paths) {
    m_nextSelection = paths;
    m_view->OnSelectFiles();
    m_nextSelection.clear();
}

bool WindowTest::RunJob(const std::function<void()>& start) {
    QSignalSpy ended(m_view, &CRavelView::jobFinished);
    start();
    if (!m_view->IsWorkerAlive()) return ended.count() > 0;
    return ended.count() > 0 || ended.wait(20000);
}

QString WindowTest::WorkingRoot() const {
    return GetWorkingRoot();
}

QString WindowTest::WritePackage(const QString& relative,
                                 const std::vector<std::pair<QByteArray, QByteArray>>& members,
                                 int garbageBefore) {
    PackageBuilder builder;
    if (garbageBefore > 0) builder.Garbage(garbageBefore);
    for (const auto& [name, content] : members) builder.Stored(name, content);
    builder.CentralDirectory();
    const QString path = m_tmp->Path(relative);
    EXPECT_TRUE(builder.WriteTo(path)) << path.toStdString();
    return path;
}

std::vector<ShownLogLine> WindowTest::LogLines() const {
    std::vector<ShownLogLine> lines;
    QTextDocument* document = m_view->LogPane()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        ShownLogLine line{block.text(), QColor(), true};
        bool first = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat format = fragment.charFormat();
            if (first) line.color = format.foreground().color();
            first = false;
            const int weight = format.hasProperty(QTextFormat::FontWeight)
                                   ? format.fontWeight()
                                   : document->defaultFont().weight();
            line.bold = line.bold && weight >= QFont::Bold;
        }
        if (first) {
            // An empty line has no text of its own; its break carries the format.
            line.color = block.charFormat().foreground().color();
            line.bold = document->defaultFont().bold();
        }
        lines.push_back(line);
    }
    // The text ends with a line break: the empty block after it is no line.
    if (!lines.empty() && lines.back().text.isEmpty()) lines.pop_back();
    return lines;
}

bool WindowTest::ActionEnabled(int id) const {
    return m_frame->Action(id)->isEnabled();
}

QByteArray PngOf(const QColor& color, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QColor CentreColor(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
