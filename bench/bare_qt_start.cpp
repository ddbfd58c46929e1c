#include <QApplication>

// Constructs the application object and ends: the cost every GUI start pays at least.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return 0;
}
