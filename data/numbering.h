#pragma once

#include <QString>

namespace numbering {

// Document numbers are six characters, zero-filled on the left, so that they compare as text.
// Texts longer than five characters come back unchanged (even beyond six); the characters are not inspected.
QString complete_numero(const QString &text);

} // namespace numbering
