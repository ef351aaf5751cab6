// Placeholder: the settings store.
