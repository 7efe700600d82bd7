// Replaced as the packaging layer is written.
