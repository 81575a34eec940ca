namespace glanix {}
