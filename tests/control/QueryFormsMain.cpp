// Runs the connect dialog's and the query builder's test classes in one process.
#include <QApplication>

int RunConnectDialogTest(int argc, char** argv);
int RunQueryBuilderTest(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = RunConnectDialogTest(argc, argv);
    failures += RunQueryBuilderTest(argc, argv);
    return failures == 0 ? 0 : 1;
}
