// The viewer as a user meets it: a photo larger than the screen is shown whole, 100 % and
// back by the key Z or a double click, closed by Esc or Ctrl+W.

#include <QAccessible>
#include <QScreen>
#include <QScrollArea>
#include <QtTest/QtTest>

#include <cstdlib>

#include "app_test_support.h"
#include "main_window/photo_viewer.h"

using namespace fotela;

class PhotoViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void keysAndFit_data() {
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QString>("steps");  // what the user does, in order
    QTest::addColumn<bool>("actualSize");
    QTest::addColumn<bool>("open");
    const QSize wide(3000, 2000);
    QTest::newRow("wide photo fitted") << wide << "" << false << true;
    QTest::newRow("tall photo fitted") << QSize(900, 2400) << "" << false << true;
    QTest::newRow("small photo at its size") << QSize(320, 200) << "" << true << true;
    QTest::newRow("Z: 100 %") << wide << "Z" << true << true;
    QTest::newRow("Z twice: fitted") << wide << "Z Z" << false << true;
    QTest::newRow("double click: 100 %") << wide << "dbl" << true << true;
    QTest::newRow("double click, Z: fitted") << wide << "dbl Z" << false << true;
    QTest::newRow("Esc closes") << wide << "Esc" << false << false;
    QTest::newRow("Ctrl+W closes") << wide << "^W" << false << false;
  }
  void keysAndFit() {
    QFETCH(QSize, photo);
    QFETCH(QString, steps);
    QFETCH(bool, actualSize);
    QFETCH(bool, open);
    test::TempDir dir;
    const std::string path = dir.file("photo.jpg");
    test::writeJpeg(path, photo.width(), photo.height(), 0x3060C0);
    app::PhotoViewer viewer;
    QSignalSpy shown(&viewer, &app::PhotoViewer::photoShown);
    viewer.showPhoto(QString::fromStdString(path), QStringLiteral("photo.jpg"), photo.width(),
                     photo.height());
    QVERIFY(shown.wait(20000));
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    auto* picture = viewer.findChild<QWidget*>(QStringLiteral("Picture1"));
    for (const QString& step : steps.split(QChar(' '), Qt::SkipEmptyParts)) {
      if (step == QStringLiteral("dbl"))
        QTest::mouseDClick(picture, Qt::LeftButton, {}, picture->rect().center());
      else
        QTest::keyClick(&viewer,
                        step == QStringLiteral("Z")     ? Qt::Key_Z
                        : step == QStringLiteral("Esc") ? Qt::Key_Escape
                                                        : Qt::Key_W,
                        step == QStringLiteral("^W") ? Qt::ControlModifier : Qt::NoModifier);
    }
    QCOMPARE(viewer.isVisible(), open);
    if (!open) return;
    QVERIFY(viewer.screen()->availableGeometry().contains(viewer.frameGeometry()));
    QCOMPARE(QAccessible::queryAccessibleInterface(&viewer)->role(), QAccessible::Window);
    if (actualSize) {
      QCOMPARE(picture->size(), photo);
    } else {
      // Whole in the window, the aspect kept to the pixel.
      const QSize room = viewer.findChild<QScrollArea*>()->viewport()->size();
      QVERIFY(picture->width() < photo.width());
      QVERIFY(picture->width() <= room.width() && picture->height() <= room.height());
      QVERIFY(std::abs(picture->width() * photo.height() - picture->height() * photo.width()) <=
              std::max(photo.width(), photo.height()));
    }
    const QColor want = QImage(QString::fromStdString(path)).pixelColor(0, 0);
    const QColor drawn =
        picture->grab(QRect(picture->rect().center(), QSize(1, 1))).toImage().pixelColor(0, 0);
    for (auto channel : {&QColor::red, &QColor::green, &QColor::blue})
      QVERIFY(std::abs((drawn.*channel)() - (want.*channel)()) <= 8);
  }
};

QTEST_MAIN(PhotoViewerTest)
#include "photo_viewer_test.moc"
