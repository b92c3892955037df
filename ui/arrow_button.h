#pragma once

#include <QPushButton>

namespace quillmere {

// A button without caption that shows an embossed grey triangle on its
// face: a white edge where the light falls from the top left, black edges
// in the shade.
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
