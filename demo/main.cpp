// The demo program: the data module first, then the window bound to its connections; the
// settings file lies beside the executable. On return the window goes first (writing the
// settings), then the hooks are restored, then the data module goes.
#include <QApplication>

#include <exception>
#include <iostream>
#include <memory>

#include "demo/DemoApp.h"
#include "demo/IBDataModuleIbx.h"
#include "demo/Unit1Ibx.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int result = 1;
    try {
        auto module = std::make_unique<smx::TDataMdIbx>();
        {
            auto form = std::make_unique<smx::TForm1>(
                *module, (QCoreApplication::applicationDirPath() + "/Lirvendo.Ini").toUtf8().toStdString());
            smx::TDemoHooks hooks(*form);
            form->show();
            result = QApplication::exec();
            form.reset();
        }
        module.reset();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    }
    return result;
}
