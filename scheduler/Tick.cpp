// Placeholder: filled in by the issue that builds the tick.
