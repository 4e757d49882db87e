// Anchor of the platform library; the interfaces and their implementations live beside it.
