// Labels whose text is news (an outcome, a summary): a screen reader reads the words shown, is told once
// of each new one, also when it is worded as the one before, and is not told of text that only follows
// along (the pages of a transfer).
#pragma once

#include <QString>

class QLabel;

namespace vantrel {

// Shows `text` and announces it once. The label's accessible name is then its text; a caller that shows
// text quietly afterwards sets the name to what is to be read meanwhile (a label with a name set is quiet).
void announceText(QLabel* label, const QString& text);

} // namespace vantrel
