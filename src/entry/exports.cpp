// Placeholder until the dispatcher lands; replaced by the entry-point implementation.
