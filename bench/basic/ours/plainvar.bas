' 20 million steps of a loop over plain local variables.
Function Main() As Long
  Dim i As Long, a As Long, b As Long
  a = 0
  b = 1
  For i = 1 To 20000000
    a = a + b
    b = 3 - b
  Next i
  Main = a
End Function
