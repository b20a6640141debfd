// SPDX-License-Identifier: Apache-2.0
// pelorin-read --copy: the page, the faces' true size measured on a 300 dpi
// rendering, the watermark over every part of both faces and in the PDF's
// text, and the copy readable by its owner only.
#include "read_tool.h"
#include "umask_test.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const qreal kDotsPerMillimetre = 300 / 25.4;
const qreal kFaceWidth = 85.60 * kDotsPerMillimetre;  // 1011 dots
const qreal kFaceHeight = 53.98 * kDotsPerMillimetre;

// A poppler tool's standard output; the test fails when the tool does.
QByteArray poppler(const QString& tool, const QStringList& args)
{
    const ToolRun run = runToolProcess(tool, args);
    EXPECT_EQ(run.exitCode, 0) << tool.toStdString() << ": " << run.err.toStdString();
    return run.out;
}

QImage rendered(const QString& pdf)
{
    poppler("pdftoppm", {"-r", "300", "-singlefile", pdf, pdf});
    return QImage(pdf + ".ppm");
}

bool isInk(QRgb pixel)
{
    return qRed(pixel) < 245 || qGreen(pixel) < 245 || qBlue(pixel) < 245;
}

struct InkRun {
    int first, last;
    int length() const { return last - first + 1; }
};

// The stretches of ink along row y (or column x, for a vertical line); a
// face's own light spots of less than a millimetre do not break one.
std::vector<InkRun> inkRuns(const QImage& page, int at, bool vertical)
{
    const int gap = qRound(kDotsPerMillimetre);
    std::vector<InkRun> runs;
    const int length = vertical ? page.height() : page.width();
    for (int i = 0; i < length; ++i) {
        if (!isInk(vertical ? page.pixel(at, i) : page.pixel(i, at)))
            continue;
        if (runs.empty() || runs.back().last < i - gap)
            runs.push_back({i, i});
        else
            runs.back().last = i;
    }
    return runs;
}

// The rectangles of the two faces on a page rendered at 300 dpi, found from a
// column through both and a row through each; empty unless there are two.
std::vector<QRect> facesOn(const QImage& page)
{
    std::vector<QRect> faces;
    for (const InkRun& down : inkRuns(page, qRound(60 * kDotsPerMillimetre), true)) {
        const std::vector<InkRun> across = inkRuns(page, (down.first + down.last) / 2, false);
        if (across.size() == 1)
            faces.emplace_back(across[0].first, down.first, across[0].length(), down.length());
    }
    return faces.size() == 2 ? faces : std::vector<QRect>{};
}

// Red ink in the top left of a face: the national emblem of the back.
bool hasEmblem(const QImage& page, const QRect& face)
{
    for (int y = face.top(); y < face.top() + face.height() / 3; y += 2)
        for (int x = face.left(); x < face.left() + face.width() / 4; x += 2) {
            const QRgb pixel = page.pixel(x, y);
            if (qRed(pixel) > 180 && qGreen(pixel) < 60 && qBlue(pixel) < 60)
                return true;
        }
    return false;
}

using PelorinReadCopy = UmaskTest;

const QString kWatermark = QStringLiteral("FOR HOTEL CHECK-IN ONLY 仅供酒店登记");

}  // namespace

TEST_F(PelorinReadCopy, PdfPageWithBothFacesAtTrueSizeAndTheWatermark)
{
    const ToolRun run = runTool({"--copy", path("copy.pdf"), "--watermark", kWatermark});  // the built-in card
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json.value("files")["copy"], path("copy.pdf"));
    EXPECT_EQ(modeOf(path("copy.pdf")), 0600);

    const QString info = QString::fromUtf8(poppler("pdfinfo", {path("copy.pdf")}));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)")))
        << info.toStdString();
    EXPECT_TRUE(QString::fromUtf8(poppler("pdftotext", {path("copy.pdf"), "-"})).contains(kWatermark));
    // The faces are composed at print resolution, not enlarged from the screen's.
    const QStringList images = QString::fromUtf8(poppler("pdfimages", {"-list", path("copy.pdf")}))
                                   .split('\n', Qt::SkipEmptyParts)
                                   .mid(2);
    ASSERT_EQ(images.size(), 2);
    for (const QString& image : images)
        EXPECT_NEAR(image.split(' ', Qt::SkipEmptyParts).value(3).toInt(), kFaceWidth, kFaceWidth / 100)
            << image.toStdString();

    const QImage page = rendered(path("copy.pdf"));
    EXPECT_EQ(page.width(), 2480);  // 210 mm; the height rounds either way
    EXPECT_NEAR(page.height(), 3508, 1);
    const std::vector<QRect> faces = facesOn(page);
    ASSERT_EQ(faces.size(), 2u);
    for (const QRect& face : faces) {
        EXPECT_NEAR(face.width(), kFaceWidth, kFaceWidth / 100);
        EXPECT_NEAR(face.height(), kFaceHeight, kFaceHeight / 100);
        EXPECT_NEAR(face.left(), faces[0].left(), 1) << "both at the same left margin";
    }
    EXPECT_LT(faces[0].bottom(), faces[1].top());
    EXPECT_FALSE(hasEmblem(page, faces[0])) << "the front comes first";
    EXPECT_TRUE(hasEmblem(page, faces[1]));
}

TEST_F(PelorinReadCopy, WatermarkLeavesNoPartOfAFaceFree)
{
    ASSERT_EQ(runTool({"--copy", path("plain.pdf")}).exitCode, 0);
    ASSERT_EQ(runTool({"--copy", path("marked.pdf"), "--watermark", kWatermark}).exitCode, 0);
    const QImage plain = rendered(path("plain.pdf"));
    const QImage marked = rendered(path("marked.pdf"));
    const std::vector<QRect> faces = facesOn(plain);
    ASSERT_EQ(faces.size(), 2u);
    // Every 8 mm square of each face shows some of the watermark.
    const int cell = qRound(8 * kDotsPerMillimetre);
    for (const QRect& face : faces)
        for (int top = face.top(); top + cell <= face.bottom(); top += cell)
            for (int left = face.left(); left + cell <= face.right(); left += cell) {
                int changed = 0;
                for (int y = top; y < top + cell; y += 2)
                    for (int x = left; x < left + cell; x += 2)
                        changed += qAbs(qRed(plain.pixel(x, y)) - qRed(marked.pixel(x, y))) +
                                           qAbs(qBlue(plain.pixel(x, y)) - qBlue(marked.pixel(x, y))) >
                                   40;
                EXPECT_GT(changed, 0) << "no watermark in the square at " << left << ", " << top;
            }
}

TEST_F(PelorinReadCopy, PngAtThreeHundredDotsPerInch)
{
    const ToolRun run = runTool({"--copy", path("copy.png")}, kFixtures + "/hmt.json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(modeOf(path("copy.png")), 0600);
    const QImage page(path("copy.png"));
    ASSERT_EQ(page.size(), QSize(2480, 3508));
    EXPECT_EQ(page.dotsPerMeterX(), 11811);
    const std::vector<QRect> faces = facesOn(page);
    ASSERT_EQ(faces.size(), 2u);
    for (const QRect& face : faces)
        EXPECT_NEAR(face.width(), kFaceWidth, kFaceWidth / 100);
}
