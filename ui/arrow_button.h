#pragma once

#include <QPushButton>

namespace quillmere {

// A button without caption that shows an embossed triangle: white edges
// where the light falls from the top left, black ones in the shade, on the
// button's own grey face.
class ArrowButton : public QPushButton {
public:
    enum class Direction { Up, Down };

    ArrowButton(Direction direction, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Direction direction_;
};

}  // namespace quillmere
