// The parameter transfer window: reads, writes and compares the parameter image with the module, saves
// and opens parameter files, and opens the parameter editor. It owns the parameter image.
#pragma once

#include "params/ParameterImage.h"

#include <QDialog>

namespace vantrel {

class ModuleLink;

class TFormDownload : public QDialog {
    Q_OBJECT
public:
    explicit TFormDownload(ModuleLink& link, QWidget* parent = nullptr);

    // The one parameter image of the program: every byte 0xFF at start.
    ImageBytes ParameterImage = freshImage();

private:
    ModuleLink& link_;
};

} // namespace vantrel
