' A file that does not compile: basicrun reports the syntax error with its message id.
Function Main() As Long
  Main = 1 +
End Function
