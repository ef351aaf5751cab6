// Placeholder: replaced by the window framework.
