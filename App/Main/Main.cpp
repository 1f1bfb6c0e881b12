#include "App/AppIdentity.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QEL::AppIdentity::name);
    return application.exec();
}
