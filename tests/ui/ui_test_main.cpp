// Runs the linked test classes, or only the one named first.
#include <QApplication>
#include <QtTest>

#include "ui_test_util.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  const bool chosen = argc > 1 && argv[1][0] != '-';
  std::vector<char*> args{argv[0]};
  args.insert(args.end(), argv + (chosen ? 2 : 1), argv + argc);
  int failed = 0, run = 0;
  for (const auto& make : mtvuk::test::TestClasses()) {
    const std::unique_ptr<QObject> test = make();
    const QByteArray name = test->metaObject()->className();
    if (chosen && name != argv[1] && name != "mtvuk::" + QByteArray(argv[1]))
      continue;
    ++run;
    failed += QTest::qExec(test.get(), int(args.size()), args.data()) != 0;
  }
  return run == 0 || failed != 0 ? 1 : 0;
}
