#pragma once

#include <string>

namespace quillmere {

enum class ListId { Files, Titles };

// Receives every change of the catalogue's visible state, synchronously,
// before the call that caused it returns. A view mirrors the model through
// it; every method has an empty default so a view takes only what it shows.
class CatalogueObserver {
public:
    virtual ~CatalogueObserver() = default;

    // The list's rows were replaced as a whole; it has no selection.
    virtual void listReset(ListId) {}
    virtual void rowsSwapped(ListId, int /*rowA*/, int /*rowB*/) {}
    // row is -1 when the list has no selection.
    virtual void selectionChanged(ListId, int /*row*/) {}
    virtual void titleListShownChanged(bool /*shown*/) {}
    virtual void statusChanged(const std::string& /*status*/) {}
    // A build has done `done` of its `total` passes.
    virtual void progressChanged(int /*done*/, int /*total*/) {}
};

}  // namespace quillmere
