#pragma once

namespace unsaved {

// Answers to 「変更を保存しますか？」.
enum class Answer { Save, Discard, Cancel };

} // namespace unsaved
