#pragma once

namespace lumeria {

// Whether a text breaks its lines at words to fit its width, or each line
// runs on and is cut at the edge.
enum class TextWrap { None, Word };

} // namespace lumeria
