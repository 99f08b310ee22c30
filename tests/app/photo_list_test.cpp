// The photo list model: moves as a block, drag and drop, sorting as text; checked by
// QAbstractItemModelTester throughout.

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest/QtTest>

#include <memory>
#include <vector>

#include "main_window/photo_list_model.h"

using fotela::PhotoEntry;
using fotela::app::PhotoListModel;

namespace {

std::vector<PhotoEntry> rowsNamed(const QString& names) {
  std::vector<PhotoEntry> rows;
  for (const QString& n : names.split(QChar(' '), Qt::SkipEmptyParts))
    rows.push_back(
        {n.toStdString(), "jpg", "1", "1", "1K", "2024/01/01 00:00:00", n.toStdString()});
  return rows;
}

QString namesOf(const std::vector<PhotoEntry>& rows) {
  QStringList names;
  for (const PhotoEntry& e : rows) names << QString::fromStdString(e.name);
  return names.join(QChar(' '));
}

std::vector<int> toRows(const QString& text) {
  std::vector<int> rows;
  for (const QString& r : text.split(QChar(' '), Qt::SkipEmptyParts)) rows.push_back(r.toInt());
  return rows;
}

}  // namespace

class PhotoListTest : public QObject {
  Q_OBJECT
 private slots:
  void moveBlock_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("changed");
    QTest::newRow("one up") << "2" << -1 << "a c b d e" << true;
    QTest::newRow("one down") << "0" << 1 << "b a c d e" << true;
    QTest::newRow("block up") << "2 3" << -1 << "a c d b e" << true;
    QTest::newRow("block down") << "1 2" << 1 << "a d b c e" << true;
    QTest::newRow("apart, up") << "1 3" << -1 << "b a d c e" << true;
    QTest::newRow("apart, down") << "1 3" << 1 << "a c b e d" << true;
    QTest::newRow("first row up") << "0" << -1 << "a b c d e" << false;
    QTest::newRow("last row down") << "4" << 1 << "a b c d e" << false;
    QTest::newRow("block at the top") << "0 1" << -1 << "a b c d e" << false;
    QTest::newRow("nothing selected") << "" << 1 << "a b c d e" << false;
  }
  void moveBlock() {
    QFETCH(QString, rows);
    QFETCH(int, delta);
    QFETCH(QString, expected);
    QFETCH(bool, changed);
    std::vector<PhotoEntry> data = rowsNamed(QStringLiteral("a b c d e"));
    PhotoListModel model(data);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy orderChanged(&model, &PhotoListModel::orderChanged);
    QCOMPARE(model.moveBlock(toRows(rows), delta), changed);
    QCOMPARE(namesOf(data), expected);
    QCOMPARE(orderChanged.count(), changed ? 1 : 0);
  }

  // Dragging the selected rows (as the view packs them) and dropping them before a row.
  void dragAndDrop_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("dropRow");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one to the top") << "3" << 0 << "d a b c e";
    QTest::newRow("one to the end") << "0" << -1 << "b c d e a";
    QTest::newRow("two apart, down") << "0 2" << 4 << "b d a c e";
    QTest::newRow("two apart, up") << "1 4" << 0 << "b e a c d";
    QTest::newRow("onto itself") << "2" << 2 << "a b c d e";
    QTest::newRow("block into its middle") << "1 2 3" << 2 << "a b c d e";
  }
  void dragAndDrop() {
    QFETCH(QString, rows);
    QFETCH(int, dropRow);
    QFETCH(QString, expected);
    std::vector<PhotoEntry> data = rowsNamed(QStringLiteral("a b c d e"));
    PhotoListModel model(data);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QModelIndexList dragged;
    for (int r : toRows(rows))
      for (int c = 0; c < model.columnCount(); ++c) dragged << model.index(r, c);
    std::unique_ptr<QMimeData> mime(model.mimeData(dragged));
    QVERIFY(model.canDropMimeData(mime.get(), Qt::MoveAction, dropRow, 0, {}));
    // The model moves the rows itself and answers false, so the view removes nothing.
    QVERIFY(!model.dropMimeData(mime.get(), Qt::MoveAction, dropRow, 0, {}));
    QCOMPARE(namesOf(data), expected);
    QCOMPARE(static_cast<int>(data.size()), 5);
  }

  void sortsAscendingAsText() {
    std::vector<PhotoEntry> data = rowsNamed(QStringLiteral("p q r"));
    data[0].width = "640";
    data[1].width = "1024";
    data[2].width = "80";
    data[0].description = "b";
    data[1].description = "B";
    data[2].description = "a";
    PhotoListModel model(data);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy orderChanged(&model, &PhotoListModel::orderChanged);
    model.sortAsText(2);
    QCOMPARE(namesOf(data), QStringLiteral("q p r"));  // "1024" < "640" < "80"
    model.sortAsText(2);  // a second click sorts ascending again: no toggle
    QCOMPARE(namesOf(data), QStringLiteral("q p r"));
    model.sortAsText(6);  // letters without regard to case, ties keep their order
    QCOMPARE(namesOf(data), QStringLiteral("r q p"));
    QCOMPARE(orderChanged.count(), 3);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("幅"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("80"));
  }
};

QTEST_MAIN(PhotoListTest)
#include "photo_list_test.moc"
