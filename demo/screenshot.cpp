// Opens the demo window on a settings file, presses Extract and Compare, and saves a picture of
// the window:  schemalyst-demo-screenshot <settings file> <picture.png>
// Message boxes go to standard error, so that nothing waits for a click.
#include <QApplication>
#include <QPushButton>

#include <iostream>
#include <memory>

#include "demo/DemoApp.h"
#include "demo/IBDataModuleIbx.h"
#include "demo/Unit1Ibx.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: schemalyst-demo-screenshot <settings file> <picture.png>" << std::endl;
        return 2;
    }
    int result = 1;
    auto module = std::make_unique<smx::TDataMdIbx>();
    {
        auto form = std::make_unique<smx::TForm1>(*module, argv[1]);
        smx::TDemoHooks hooks(*form);
        smx::SetMessageBoxHook([](const std::string& Text) { std::cerr << Text << std::endl; });
        form->resize(1400, 900);
        form->show();
        QApplication::processEvents();
        form->BtnExtract->click();
        form->BtnCompare->click();
        QApplication::processEvents();
        const QPixmap picture = form->grab();
        if (picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            std::cout << "Saved " << argv[2] << " (" << picture.width() << "x" << picture.height() << ")" << std::endl;
            result = 0;
        } else {
            std::cerr << "Cannot save " << argv[2] << std::endl;
        }
        form.reset();
    }
    module.reset();
    return result;
}
