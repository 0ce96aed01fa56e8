// Opens the demo window on a settings file, presses Extract and Compare, and saves a picture of
// the window:  schemalyst-demo-screenshot <settings file> <picture.png>
// Message boxes go to standard error, so that nothing waits for a click.
#include <QApplication>
#include <QImage>
#include <QPixmap>
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
        // A picture smaller than the window's minimum or of one colour shows no window.
        const QImage image = picture.toImage();
        bool coloured = false;
        for (int y = 0; y < image.height() && !coloured; y += 7)
            for (int x = 0; x < image.width() && !coloured; x += 7)
                coloured = image.pixel(x, y) != image.pixel(0, 0);
        if (picture.width() < form->minimumWidth() || picture.height() < form->minimumHeight() || !coloured) {
            std::cerr << "The picture shows no window (" << picture.width() << "x" << picture.height() << ")"
                      << std::endl;
        } else if (picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            std::cout << "Saved " << argv[2] << " (" << picture.width() << "x" << picture.height() << ")"
                      << std::endl;
            result = 0;
        } else {
            std::cerr << "Cannot save " << argv[2] << std::endl;
        }
        form.reset();
    }
    module.reset();
    return result;
}
