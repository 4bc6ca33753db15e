A story told in a floating window.
Its second line.
