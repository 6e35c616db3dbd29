' 5 million calls of a two-argument Function.
Function Add2(a As Long, b As Long) As Long
  Add2 = a + b
End Function

Function Main() As Long
  Dim i As Long, s As Long
  s = 0
  For i = 1 To 5000000
    s = Add2(s, 1)
  Next i
  Main = s
End Function
